#include "l10n/string_tables.h"

namespace lanternbook {

const StringTable hungarian_strings = {
    L"Letöltendő fájlok",                                    // 1
    L"Beállítások mentése",                                  // 2
    L"* A fuvarozó vállalkozás által a Bizottság 581/2010/EU rendelete szerint letöltendő adatok",  // 3
    kProductHeader,                                          // 4
    L"Szoftverfrissítés",                                    // 5
    L"Beállítások mentése",                                  // 6
    L"Áttekintés*",                                          // 7
    L"Tevékenységek*",                                       // 8
    L"Események és hibák*",                                  // 9
    L"Részletes sebesség",                                   // 10
    L"Műszaki adatok*",                                      // 11
    L"Az utolsó letöltés óta",                               // 12
    L"\u2026-tól",                                           // 13
    L"\u2026-ig",                                            // 14
    nullptr,                                                 // 15
    nullptr,                                                 // 16
    nullptr,                                                 // 17
    L"Utolsó:",                                              // 18
    L"nap",                                                  // 19
    L"Összes",                                               // 20
    L"Eszköz formázása",                                     // 21
    L"Eszközbeállítások megőrzése",                          // 22
    L"Formázás",                                             // 23
    L"Figyelem",                                             // 24
    L"A formázás törli az eszközön tárolt összes adatot.",   // 25
    L"Kilépés",                                              // 26
    L"A rendszer hibás eszközméretet észlelt. A formázás nem folytatódik.",  // 27
    L"Memória törlése",                                      // 28
    L"Törlés",                                               // 29
    L"Eszköz újraindítása firmware-frissítés után",          // 30
    L"Eszköz sorozatszáma:",                                 // 31
    L"Szoftververzió:",                                      // 32
    L"Nincs adat",                                           // 33
    L"Frissítés",                                            // 34
    L"Firmware elérési útja",                                // 35
    L"A művelet az összes letöltést törli az eszközről.\nKívánja folytatni?",  // 36
    nullptr,                                                 // 37
    nullptr,                                                 // 38
    L"Járművezetői kártya letöltése a tachográfon keresztül",  // 39
    L"\u00A7 gombbal válassza ki a leolvasási adatok tartományát (csak QVZ esetén)",  // 40
    L"VDO speciális adatok",                                 // 41
    L"A beállításokat nem sikerült az eszközre menteni.",    // 42
    L"Az eszközt eltávolították vagy kicserélték. A művelet megszakadt.",  // 43
    L"Az eszköz programfájljait nem sikerült lemásolni. A formázás nem indul el.",  // 44
    L"Az eszköz programfájljait nem sikerült visszaírni. "
    L"A fájlok a következő mappában maradtak:",              // 45
    L"Néhány letöltést nem sikerült törölni.",               // 46
    L"Az eszközt nem sikerült formázni.",                    // 47
    L"Az eszköz beállításait nem sikerült beolvasni. A formázás nem indul el.",  // 48
};

}  // namespace lanternbook
