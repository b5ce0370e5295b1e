#include "config/ProgramInfo.h"

std::string ProgramVersion() {
    return QUARROW_VERSION;
}

std::string VersionText() {
    return "Quarrow for Namazu " + ProgramVersion() +
           "\n"
           "Copyright (C) 2026 the Quarrow for Namazu developers\n"
           "License: " + std::string(kLicenceName) +
           "\n"
           "This is free software: you may redistribute and change it under the terms of that\n"
           "licence. There is NO WARRANTY, to the extent permitted by law.\n";
}
