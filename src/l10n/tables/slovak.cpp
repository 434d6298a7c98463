#include "l10n/string_tables.h"

namespace lanternbook {

const StringTable slovak_strings = {
    L"Údaje na stiahnutie",                                  // 1
    L"Uložiť nastavenia",                                    // 2
    L"* Údaje, ktoré je dopravca povinný sťahovať podľa nariadenia Komisie (EÚ) č. 581/2010",  // 3
    kProductHeader,                                          // 4
    L"Aktualizácia softvéru",                                // 5
    L"Uložiť nastavenia",                                    // 6
    L"Prehľad*",                                             // 7
    L"Činnosti*",                                            // 8
    L"Udalosti a poruchy*",                                  // 9
    L"Podrobná rýchlosť",                                    // 10
    L"Technické údaje*",                                     // 11
    L"Od posledného stiahnutia",                             // 12
    L"Od:",                                                  // 13
    L"Do:",                                                  // 14
    nullptr,                                                 // 15
    nullptr,                                                 // 16
    nullptr,                                                 // 17
    L"Posledných:",                                          // 18
    L"dní",                                                  // 19
    L"Všetko",                                               // 20
    L"Formátovanie zariadenia",                              // 21
    L"Zachovať nastavenia zariadenia",                       // 22
    L"Formátovať",                                           // 23
    L"Upozornenie",                                          // 24
    L"Formátovanie vymaže všetky údaje uložené v zariadení.",  // 25
    L"Zavrieť",                                              // 26
    L"Zistila sa nesprávna veľkosť zariadenia. Formátovanie sa nevykoná.",  // 27
    L"Mazanie pamäte",                                       // 28
    L"Vymazať",                                              // 29
    L"Reštart zariadenia po aktualizácii firmvéru",          // 30
    L"Sériové číslo zariadenia:",                            // 31
    L"Verzia softvéru:",                                     // 32
    L"Žiadne údaje",                                         // 33
    L"Aktualizovať",                                         // 34
    L"Cesta k firmvéru",                                     // 35
    L"Týmto sa zo zariadenia vymažú všetky stiahnuté údaje. Chcete pokračovať?",  // 36
    nullptr,                                                 // 37
    nullptr,                                                 // 38
    L"Stiahnutie karty vodiča cez tachograf",                // 39
    L"Zvoľte rozsah načítaných údajov tlačidlom \u00A7 (len pre QVZ)",  // 40
    L"Špeciálne údaje VDO",                                  // 41
    L"Nastavenia sa nepodarilo uložiť do zariadenia.",       // 42
    L"Zariadenie bolo odpojené alebo vymenené. Operácia bola prerušená.",  // 43
    L"Programové súbory zariadenia sa nepodarilo skopírovať. Formátovanie sa nevykoná.",  // 44
    L"Programové súbory zariadenia sa nepodarilo vrátiť späť. Sú uložené v priečinku:",  // 45
    L"Niektoré stiahnuté údaje sa nepodarilo vymazať.",      // 46
    L"Zariadenie sa nepodarilo naformátovať.",               // 47
    L"Nastavenia zariadenia sa nepodarilo načítať. Formátovanie sa nevykoná.",  // 48
};

}  // namespace lanternbook
