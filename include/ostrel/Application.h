/// @class Ostrel::AApplication
/// AApplication: base class of client applications. Init times and logs the
/// configuration phase; Exit releases the container the application holds. Neither
/// lets an exception escape.
/// One application object is used by one thread at a time; the container it holds may
/// be used from any thread.
#pragma once

#include <string>

#include <ostrel/Container.h>
#include <ostrel/Export.h>

namespace Ostrel {

/// The phase a configuration is asked for.
enum EConfigurationStep {
  eConfigurationStepNone = 0,    ///< No phase.
  eConfigurationStepStartup = 1  ///< The configuration phase that Init runs.
};
/// Whether a configuration is given as XML text or as a file name.
enum EConfigurationType {
  eConfigurationTypeText = 0,  ///< XML text.
  eConfigurationTypeFile = 1   ///< A file name.
};

class OSTREL_API AApplication {
public:
  /// An application that holds no container yet.
  AApplication();
  /// A copy holds a container of its own on the same factory (configuration and
  /// singletons are shared); Exit on each copy releases that copy's container.
  AApplication(const AApplication& other);
  /// Replaces the container held (deleting it, as Exit would) by one of its own on
  /// `other`'s factory.
  AApplication& operator=(const AApplication& other);
  /// Does not release the container; Exit does.
  virtual ~AApplication();

  /// Starts the application's own work; true when it started. Not called by the base
  /// class.
  virtual bool Start() = 0;
  /// Stops what Start started. Not called by the base class.
  virtual void Stop() = 0;
  /// The configuration for a step; Init calls it with step 1 and, when it returns an
  /// empty text, GetFallbackConfigurationText. Implementations typically load the
  /// configuration here (SetContainer) and return a description of what they loaded.
  virtual std::wstring GetConfigurationText(EConfigurationStep step) = 0;
  /// The configuration for a step when GetConfigurationText gave an empty text; Init
  /// ignores what it returns.
  virtual std::wstring GetFallbackConfigurationText(EConfigurationStep step) = 0;

  /// Runs the configuration phase (GetConfigurationText, then the fallback when that
  /// was empty) and logs how long it took; false when anything in it threw.
  bool Init();
  /// Destroys the container, if any; false when that threw. Calling it again does
  /// nothing and returns true.
  bool Exit();

protected:
  /// Takes ownership of a heap-allocated container (a container held before is not
  /// released: call Exit first).
  void SetContainer(CContainer* container) { m_container = container; }
  /// The container held, or null; the application keeps ownership.
  CContainer* GetContainer() const { return m_container; }

private:
  bool init(EConfigurationStep step, EConfigurationType type);

  CContainer* m_container;
};

}  // namespace Ostrel
