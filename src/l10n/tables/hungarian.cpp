#include "l10n/string_tables.h"

namespace lanternbook {

const StringTable hungarian_strings{
    u8"Letöltendő fájlok\0"                                                                      // 1
    u8"Beállítások mentése\0"                                                                    // 2
    u8"* A fuvarozó vállalkozás által a Bizottság 581/2010/EU rendelete szerint letöltendő adatok\0" // 3
    u8"Lanternbook Rover/Twin\0"                                                                 // 4
    u8"Szoftverfrissítés\0"                                                                      // 5
    u8"Beállítások mentése\0"                                                                    // 6
    u8"Áttekintés*\0"                                                                            // 7
    u8"Tevékenységek*\0"                                                                         // 8
    u8"Események és hibák*\0"                                                                    // 9
    u8"Részletes sebesség\0"                                                                     // 10
    u8"Műszaki adatok*\0"                                                                        // 11
    u8"Az utolsó letöltés óta\0"                                                                 // 12
    u8"\u2026-tól\0"                                                                             // 13
    u8"\u2026-ig\0"                                                                              // 14
    u8"\0"                                                                                       // 15
    u8"\0"                                                                                       // 16
    u8"\0"                                                                                       // 17
    u8"Utolsó:\0"                                                                                // 18
    u8"nap\0"                                                                                    // 19
    u8"Összes\0"                                                                                 // 20
    u8"Eszköz formázása\0"                                                                       // 21
    u8"Eszközbeállítások megőrzése\0"                                                            // 22
    u8"Formázás\0"                                                                               // 23
    u8"Figyelem\0"                                                                               // 24
    u8"A formázás törli az eszközön tárolt összes adatot.\0"                                     // 25
    u8"Kilépés\0"                                                                                // 26
    u8"A rendszer hibás eszközméretet észlelt. A formázás nem folytatódik.\0"                    // 27
    u8"Memória törlése\0"                                                                        // 28
    u8"Törlés\0"                                                                                 // 29
    u8"Eszköz újraindítása firmware-frissítés után\0"                                            // 30
    u8"Eszköz sorozatszáma:\0"                                                                   // 31
    u8"Szoftververzió:\0"                                                                        // 32
    u8"Nincs adat\0"                                                                             // 33
    u8"Frissítés\0"                                                                              // 34
    u8"Firmware elérési útja\0"                                                                  // 35
    u8"A művelet az összes letöltést törli az eszközről.\nKívánja folytatni?\0"                  // 36
    u8"\0"                                                                                       // 37
    u8"\0"                                                                                       // 38
    u8"Járművezetői kártya letöltése a tachográfon keresztül\0"                                  // 39
    u8"\u00A7 gombbal válassza ki a leolvasási adatok tartományát (csak QVZ esetén)\0"           // 40
    u8"VDO speciális adatok\0"                                                                   // 41
    u8"A beállításokat nem sikerült az eszközre menteni.\0"                                      // 42
    u8"Az eszközt eltávolították vagy kicserélték. A művelet megszakadt.\0"                      // 43
    u8"Az eszköz programfájljait nem sikerült lemásolni. A formázás nem indul el.\0"             // 44
    u8"Az eszköz programfájljait nem sikerült visszaírni. "
    u8"A fájlok a következő mappában maradtak:\0"                                                // 45
    u8"Néhány letöltést nem sikerült törölni.\0"                                                 // 46
    u8"Az eszközt nem sikerült formázni.\0"                                                      // 47
    u8"Az eszköz beállításait nem sikerült beolvasni. A formázás nem indul el.\0"                // 48
    u8"Az eszközt a formázás után nem sikerült ellenőrizni. "
    u8"Programfájljai és beállításai a következő mappában maradtak:\0"                     // 49
    u8"Az eszköz fájljai visszakerültek, de másolataikat nem sikerült törölni a következő mappából:\0" // 50
    u8"A formázás közben egy másik kötet került az eszköz helyére. "
    u8"A program nem írt rá semmit. "
    u8"Az eszköz programfájljai és beállításai a következő mappában maradtak:\0"           // 51
    u8"Az eszköz formázása nem fejeződött be. "
    u8"Visszaírja most az eszköz programfájljait és beállításait?\0"                       // 52
    u8"Az eszköz formázása nem fejeződött be, és az eszköz nincs csatlakoztatva. "
    u8"Felmásolja az eszköz programfájljait és beállításait erre az üres meghajtóra?\0"    // 53
    u8"Az eszköz formázása nem fejeződött be. "
    u8"Programfájljainak és beállításainak másolata a következő mappában maradt:\0"        // 54
    u8"Az eszköz programfájljai és beállításai visszakerültek, "
    u8"de a kötetcímkét nem sikerült a következőre beállítani:\0"                          // 55
};

}  // namespace lanternbook
