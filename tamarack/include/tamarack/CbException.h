/// @class CbException
/// CbException: the base library's exception, thrown by value. It records the throw
/// site; catch it as IException.
/// One exception object is used by the thread that caught it; its getters are const.
#pragma once

#include <cstdint>
#include <string>

#include <tamarack/CbIDumpable.h>
#include <tamarack/Export.h>
#include <tamarack/IException.h>
#include <tamarack/IObject.h>
#include <tamarack/IReferenceCounted.h>

class TAMARACK_API CbException : public IException,
                                 public IObject,
                                 public IReferenceCounted,
                                 public CbIDumpable<1> {
public:
  /// Records the throw site (pass __FILE__, __LINE__ and the qualified function name;
  /// null counts as empty) and the calling thread's id.
  CbException(const char* file, unsigned line, const char* function);
  /// Copies the throw site and thread id; the copy has a reference count of its own.
  CbException(const CbException& other);
  ~CbException() override;
  CbException& operator=(const CbException&) = delete;

  /// @copydoc IException::GetFileName
  const char* GetFileName() const override { return m_file.c_str(); }
  /// @copydoc IException::GetLineNumber
  std::uint32_t GetLineNumber() const override { return m_line; }
  /// @copydoc IException::GetFunctionName
  const char* GetFunctionName() const override { return m_function.c_str(); }
  /// @copydoc IException::GetThreadID
  std::uint32_t GetThreadID() const override { return m_threadId; }
  /// The exception's own counter record, so it can be held by CbSmartPointer.
  SReferenceCounter* GetReferenceCounter() const override { return &m_counter; }
  /// "<function> (<file>:<line>)".
  std::string Dump() const override;

private:
  std::string m_file;
  std::uint32_t m_line;
  std::string m_function;
  std::uint32_t m_threadId;
  mutable SReferenceCounter m_counter;
};
