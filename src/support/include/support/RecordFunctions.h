// Function names that records and exceptions carry although the work moved out of the
// function they name: clients and tests match these texts, so they stay what they were
// wherever the code now lives.
// Constant texts: safe to read on any thread.
#pragma once

namespace Ostrel {
namespace RecordFunction {

constexpr const char* kProcessBean = "Ostrel::CXMLResource::processBean";
constexpr const char* kIntegrate = "Ostrel::CXMLResource::Integrate";
constexpr const char* kRegisterInstance = "Ostrel::CXMLResource::RegisterInstance";
constexpr const char* kReleaseInstance = "Ostrel::CXMLResource::ReleaseInstance";
constexpr const char* kFactoryReset = "Ostrel::CBeanFactoryImpl::Reset";

}  // namespace RecordFunction
}  // namespace Ostrel
