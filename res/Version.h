// The program's version, shown in the About box and sent with reports.
#pragma once

#define ZANDU_VERSION_MAJOR 1
#define ZANDU_VERSION_MINOR 0
#define ZANDU_VERSION_BUILD 0
#define ZANDU_VERSION_TEXT "1.0.0"
