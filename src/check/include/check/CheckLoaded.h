// The configuration check of a strict load: what a loader has just read, checked the way
// CheckConfiguration checks a file, against the definitions a factory holds already.
// Runs on the loading thread, under the loading mutex of a strict load.
#pragma once

#include <functional>
#include <string>

#include <ostrel/CheckConfiguration.h>

namespace Ostrel {

class CDefinitionSet;
class CXMLResource;

namespace Internal {

// Checks `loaded` (read with its notices kept and interfaces by name) merged with
// `existing` (may be null), loading the libraries it names. `inDefaultFactory` says
// whether the default factory defines a name, for "::name" references. Findings are
// ordered by file, line and column. Never throws for a problem of the configuration.
SCheckResult CheckLoaded(const CXMLResource& loaded, const CDefinitionSet* existing,
                         std::function<bool(const std::string&)> inDefaultFactory);

}  // namespace Internal
}  // namespace Ostrel
