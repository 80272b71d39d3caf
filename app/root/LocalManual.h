// Where the program's manual is: installed beside the program (share/doc/sillaro/manual
// under the prefix the program is in), else the manual of the source tree it was built from.
#pragma once

#include <QString>

// The manual's start page as a file:// address; empty when neither copy exists.
QString LocalManualUrl();
