#include "l10n/string_tables.h"

namespace lanternbook {

const StringTable english_strings{
    u8"Files to download\0"                                                               // 1
    u8"Save settings\0"                                                                   // 2
    u8"* Data required to be read by the transportation company according to Commission "
    u8"Regulation (EU) 581/2010\0"                                                        // 3
    u8"Lanternbook Rover/Twin\0"                                                          // 4
    u8"Software update\0"                                                                 // 5
    u8"Save settings\0"                                                                   // 6
    u8"Overview*\0"                                                                       // 7
    u8"Activities*\0"                                                                     // 8
    u8"Events and faults*\0"                                                              // 9
    u8"Detailed speed\0"                                                                  // 10
    u8"Technical data*\0"                                                                 // 11
    u8"Since last download\0"                                                             // 12
    u8"From:\0"                                                                           // 13
    u8"Till:\0"                                                                           // 14
    u8"\0"                                                                                // 15
    u8"\0"                                                                                // 16
    u8"\0"                                                                                // 17
    u8"Last:\0"                                                                           // 18
    u8"days\0"                                                                            // 19
    u8"Everything\0"                                                                      // 20
    u8"Format the device\0"                                                               // 21
    u8"Store device settings\0"                                                           // 22
    u8"Format\0"                                                                          // 23
    u8"Caution\0"                                                                         // 24
    u8"Format will erase all the data stored in the device.\0"                            // 25
    u8"Exit\0"                                                                            // 26
    u8"Incorrect device size detected. Format will not continue.\0"                       // 27
    u8"Erasing the memory\0"                                                              // 28
    u8"Erase\0"                                                                           // 29
    u8"Device reset after firmware upgrade\0"                                             // 30
    u8"Device serial number:\0"                                                           // 31
    u8"Software version:\0"                                                               // 32
    u8"No data available\0"                                                               // 33
    u8"Upgrade\0"                                                                         // 34
    u8"Firmware path\0"                                                                   // 35
    u8"This will erase all the downloads from device. \nDo you want to continue?\0"       // 36
    u8"\0"                                                                                // 37
    u8"\0"                                                                                // 38
    u8"Driver card download via tachograph\0"                                             // 39
    u8"Select data range using \u00A7 button (QVZ only)\0"                                // 40
    u8"VDO Special Data\0"                                                                // 41
    u8"The settings could not be saved on the device.\0"                                  // 42
    u8"The device was removed or changed. The operation was stopped.\0"                   // 43
    u8"The device's program files could not be copied. Format will not start.\0"          // 44
    u8"The device's program files could not be put back. They are kept in:\0"             // 45
    u8"Some downloads could not be erased.\0"                                             // 46
    u8"The device could not be formatted.\0"                                              // 47
    u8"The device's settings could not be read. Format will not start.\0"                 // 48
    u8"The device could not be checked after the format. "
    u8"Its program files and settings are kept in:\0"                                      // 49
    u8"The device's files were put back, but their copies could not be removed from:\0"    // 50
    u8"Another volume took the device's place during the format. "
    u8"Nothing was written to it. "
    u8"The device's program files and settings are kept in:\0"                             // 51
    u8"A format of this device did not finish. "
    u8"Put its program files and settings back on it now?\0"                               // 52
    u8"A format of this device did not finish, and the device is not attached. "
    u8"Put its program files and settings on this empty drive?\0"                          // 53
    u8"A format of this device did not finish. "
    u8"A copy of its program files and settings is kept in:\0"                             // 54
    u8"The device's program files and settings were put back, "
    u8"but its volume label could not be set to:\0"                                        // 55
};

}  // namespace lanternbook
