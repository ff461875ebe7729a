#pragma once

#include <string_view>

namespace hollin::app {

// The automation class of the program: one server process per client, exposing one dispatch
// interface without methods or properties. On Linux the class is a D-Bus service of this name, and
// the ids below are published as properties of the registration.
inline constexpr std::string_view kAutomationServiceName = "Hollin.Application";
inline constexpr std::string_view kAutomationProgramId = "Hollin.Application";
inline constexpr std::string_view kAutomationClassId = "{45CB1BFF-78CE-4B47-89CD-E0CD7B68C5E9}";
inline constexpr std::string_view kAutomationInterfaceId = "{FC3ED639-A85E-4166-B745-B233F48D8610}";

}  // namespace hollin::app
