#pragma once
// The program's version, kept in this one place.
#define BRIMLOCK_VERSION_TEXT "1.0.0.1"
#define BRIMLOCK_ORIGINAL_FILENAME "Brimlock.exe"
