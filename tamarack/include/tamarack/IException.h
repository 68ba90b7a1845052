/// @class IException
/// IException: the interface of every exception thrown by Ostrel and its base library.
/// An exception carries where it was raised; its message went to the log when it was
/// constructed. Catch `IException&` to catch them all.
/// One exception object is used by the thread that caught it; its getters are const.
#pragma once

#include <cstdint>

#include <tamarack/Export.h>

class TAMARACK_API IException {
public:
  virtual ~IException();
  /// Source-file name of the throw site; valid while the exception lives.
  virtual const char* GetFileName() const = 0;
  /// Line of the throw site, from 1.
  virtual std::uint32_t GetLineNumber() const = 0;
  /// Qualified name of the throwing function, for example "Ostrel::CContainer::CContainer".
  virtual const char* GetFunctionName() const = 0;
  /// Operating-system id of the thread that constructed the exception.
  virtual std::uint32_t GetThreadID() const = 0;
};
