// Everything a client of Ostrel needs.
#pragma once

#include <tamarack/CbReferenceCounted.h>
#include <tamarack/CbSmartPointer.h>
#include <tamarack/IException.h>

#include <ostrel/BeanTypes.h>
#include <ostrel/CException.h>
#include <ostrel/Export.h>
#include <ostrel/IBeanFactory.h>
#include <ostrel/IBeanWrapper.h>
#include <ostrel/ITypeRegistration.h>
#include <ostrel/LocalLibrary.h>
#include <ostrel/Logger.h>
#include <ostrel/MakerName.h>
#include <ostrel/Application.h>
#include <ostrel/BeanStatistics.h>
#include <ostrel/LoadOptions.h>
#include <ostrel/Container.h>
#include <ostrel/Optional.h>
#include <ostrel/BeanWrapper.h>
#include <ostrel/CheckConfiguration.h>

/// @namespace Ostrel
/// The container: loading configurations, making and wiring beans, looking services
/// up, checking configurations, and the toolkit for writing bean wrappers.

/// @namespace Logging
/// The logging facade through which Ostrel, and any client, writes its records.
