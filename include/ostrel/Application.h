// AApplication: base class of client applications. Init times and logs the
// configuration phase; Exit releases the container the application holds. Neither
// lets an exception escape.
// One application object is used by one thread at a time; the container it holds may
// be used from any thread.
#pragma once

#include <string>

#include <ostrel/Container.h>
#include <ostrel/Export.h>

namespace Ostrel {

enum EConfigurationStep { eConfigurationStepNone = 0, eConfigurationStepStartup = 1 };
enum EConfigurationType { eConfigurationTypeText = 0, eConfigurationTypeFile = 1 };

class OSTREL_API AApplication {
public:
  AApplication();
  // A copy holds a container of its own on the same factory (configuration and
  // singletons are shared); Exit on each copy releases that copy's container.
  AApplication(const AApplication& other);
  AApplication& operator=(const AApplication& other);
  // Does not release the container; Exit does.
  virtual ~AApplication();

  // Not called by the base class: the application's own start and stop.
  virtual bool Start() = 0;
  virtual void Stop() = 0;
  // The configuration for a step; Init calls it with step 1 and, when it returns an
  // empty text, GetFallbackConfigurationText. Implementations typically load the
  // configuration here (SetContainer) and return a description of what they loaded.
  virtual std::wstring GetConfigurationText(EConfigurationStep step) = 0;
  virtual std::wstring GetFallbackConfigurationText(EConfigurationStep step) = 0;

  // Runs the configuration phase; false when anything in it threw.
  bool Init();
  // Destroys the container, if any; false when that threw. Calling it again does
  // nothing and returns true.
  bool Exit();

protected:
  // Takes ownership of a heap-allocated container (a container held before is not
  // released: call Exit first).
  void SetContainer(CContainer* container) { m_container = container; }
  CContainer* GetContainer() const { return m_container; }

private:
  bool init(EConfigurationStep step, EConfigurationType type);

  CContainer* m_container;
};

}  // namespace Ostrel
