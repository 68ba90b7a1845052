// The strict side of a configuration load: reading with notices kept, checking what was
// read against the factory before anything changes, and refusing a load whose load-time
// beans fail.
// Reading and the process-wide switch may be used on several threads at once; the check
// runs under the loading mutex.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include <ostrel/LoadOptions.h>

namespace Ostrel {

class CBeanFactoryImpl;
class CXMLResource;

namespace Internal {

// The options of a load with the process-wide switch applied: OSTREL_STRICT=1 makes
// every load strict. Read per load, so that a program may set it before its first load.
SLoadOptions EffectiveOptions(const SLoadOptions& options);

// Reads a configuration for a load, its libraries looked for in the load's plug-in path
// too; a strict load keeps the reader's notices and leaves interfaces by name until the
// check has loaded the libraries that may register them.
std::unique_ptr<CXMLResource> ReadConfiguration(const char* xml, const SLoadOptions& options);
std::unique_ptr<CXMLResource> ReadConfiguration(const wchar_t* file, const SLoadOptions& options);

// Checks what a strict load read, merged with what `factory` holds (nothing when
// `replacing`, as for a reset), loading the libraries it names. Logs every finding in
// file order with its place and throws a CException placed at the first error; changes
// nothing in the factory then. When the check passes, turns the interface names into
// their type ids for the merge. Called under the loading mutex.
void CheckStrictly(CBeanFactoryImpl& factory, CXMLResource& resource, bool replacing,
                   const char* function);

// Ends a strict load merged or swapped into `factory`: makes the load-time beans and,
// when one of `eager` (those the load read) cannot be made, puts the factory back as it
// was before the load and throws a CException naming them.
void MakeEagerBeansStrictly(CBeanFactoryImpl& factory, const std::vector<std::string>& eager,
                            const char* function);

}  // namespace Internal
}  // namespace Ostrel
