#pragma once

namespace ZumeliApplication {

// The program's version: "3.1.4" is shown in the title and compared by the single-instance check;
// the long form goes to the service with the machine identity.
constexpr int VersionMajor = 3;
constexpr int VersionMinor = 1;
constexpr int VersionRevision = 4;
constexpr const char* VersionText = "3.1.4";
constexpr const char* ApplicationName = "ZumeliClient";
constexpr const char* LongVersionText = "3.1.4.0-101206-122319-release";
constexpr const char* TitleFormat = "Zumeli %s";

} // namespace ZumeliApplication
