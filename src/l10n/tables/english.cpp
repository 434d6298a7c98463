#include "l10n/string_tables.h"

namespace lanternbook {

const StringTable english_strings = {
    L"Files to download",                                    // 1
    L"Save settings",                                        // 2
    L"* Data required to be read by the transportation company according to Commission "
    L"Regulation (EU) 581/2010",                             // 3
    kProductHeader,                                          // 4
    L"Software update",                                      // 5
    L"Save settings",                                        // 6
    L"Overview*",                                            // 7
    L"Activities*",                                          // 8
    L"Events and faults*",                                   // 9
    L"Detailed speed",                                       // 10
    L"Technical data*",                                      // 11
    L"Since last download",                                  // 12
    L"From:",                                                // 13
    L"Till:",                                                // 14
    nullptr,                                                 // 15
    nullptr,                                                 // 16
    nullptr,                                                 // 17
    L"Last:",                                                // 18
    L"days",                                                 // 19
    L"Everything",                                           // 20
    L"Format the device",                                    // 21
    L"Store device settings",                                // 22
    L"Format",                                               // 23
    L"Caution",                                              // 24
    L"Format will erase all the data stored in the device.", // 25
    L"Exit",                                                 // 26
    L"Incorrect device size detected. Format will not continue.",  // 27
    L"Erasing the memory",                                   // 28
    L"Erase",                                                // 29
    L"Device reset after firmware upgrade",                  // 30
    L"Device serial number:",                                // 31
    L"Software version:",                                    // 32
    L"No data available",                                    // 33
    L"Upgrade",                                              // 34
    L"Firmware path",                                        // 35
    L"This will erase all the downloads from device. \nDo you want to continue?",  // 36
    nullptr,                                                 // 37
    nullptr,                                                 // 38
    L"Driver card download via tachograph",                  // 39
    L"Select data range using \u00A7 button (QVZ only)",     // 40
    L"VDO Special Data",                                     // 41
    L"The settings could not be saved on the device.",       // 42
    L"The device was removed or changed. The operation was stopped.",  // 43
    L"The device's program files could not be copied. Format will not start.",  // 44
    L"The device's program files could not be put back. They are kept in:",  // 45
    L"Some downloads could not be erased.",                  // 46
    L"The device could not be formatted.",                   // 47
    L"The device's settings could not be read. Format will not start.",  // 48
};

}  // namespace lanternbook
