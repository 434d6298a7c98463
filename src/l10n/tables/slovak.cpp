#include "l10n/string_tables.h"

namespace lanternbook {

const StringTable slovak_strings{
    u8"Údaje na stiahnutie\0"                                                                   // 1
    u8"Uložiť nastavenia\0"                                                                     // 2
    u8"* Údaje, ktoré je dopravca povinný sťahovať podľa nariadenia Komisie (EÚ) č. 581/2010\0" // 3
    u8"Lanternbook Rover/Twin\0"                                                                // 4
    u8"Aktualizácia softvéru\0"                                                                 // 5
    u8"Uložiť nastavenia\0"                                                                     // 6
    u8"Prehľad*\0"                                                                              // 7
    u8"Činnosti*\0"                                                                             // 8
    u8"Udalosti a poruchy*\0"                                                                   // 9
    u8"Podrobná rýchlosť\0"                                                                     // 10
    u8"Technické údaje*\0"                                                                      // 11
    u8"Od posledného stiahnutia\0"                                                              // 12
    u8"Od:\0"                                                                                   // 13
    u8"Do:\0"                                                                                   // 14
    u8"\0"                                                                                      // 15
    u8"\0"                                                                                      // 16
    u8"\0"                                                                                      // 17
    u8"Posledných:\0"                                                                           // 18
    u8"dní\0"                                                                                   // 19
    u8"Všetko\0"                                                                                // 20
    u8"Formátovanie zariadenia\0"                                                               // 21
    u8"Zachovať nastavenia zariadenia\0"                                                        // 22
    u8"Formátovať\0"                                                                            // 23
    u8"Upozornenie\0"                                                                           // 24
    u8"Formátovanie vymaže všetky údaje uložené v zariadení.\0"                                 // 25
    u8"Zavrieť\0"                                                                               // 26
    u8"Zistila sa nesprávna veľkosť zariadenia. Formátovanie sa nevykoná.\0"                    // 27
    u8"Mazanie pamäte\0"                                                                        // 28
    u8"Vymazať\0"                                                                               // 29
    u8"Reštart zariadenia po aktualizácii firmvéru\0"                                           // 30
    u8"Sériové číslo zariadenia:\0"                                                             // 31
    u8"Verzia softvéru:\0"                                                                      // 32
    u8"Žiadne údaje\0"                                                                          // 33
    u8"Aktualizovať\0"                                                                          // 34
    u8"Cesta k firmvéru\0"                                                                      // 35
    u8"Týmto sa zo zariadenia vymažú všetky stiahnuté údaje. Chcete pokračovať?\0"              // 36
    u8"\0"                                                                                      // 37
    u8"\0"                                                                                      // 38
    u8"Stiahnutie karty vodiča cez tachograf\0"                                                 // 39
    u8"Zvoľte rozsah načítaných údajov tlačidlom \u00A7 (len pre QVZ)\0"                        // 40
    u8"Špeciálne údaje VDO\0"                                                                   // 41
    u8"Nastavenia sa nepodarilo uložiť do zariadenia.\0"                                        // 42
    u8"Zariadenie bolo odpojené alebo vymenené. Operácia bola prerušená.\0"                     // 43
    u8"Programové súbory zariadenia sa nepodarilo skopírovať. Formátovanie sa nevykoná.\0"      // 44
    u8"Programové súbory zariadenia sa nepodarilo vrátiť späť. Sú uložené v priečinku:\0"       // 45
    u8"Niektoré stiahnuté údaje sa nepodarilo vymazať.\0"                                       // 46
    u8"Zariadenie sa nepodarilo naformátovať.\0"                                                // 47
    u8"Nastavenia zariadenia sa nepodarilo načítať. Formátovanie sa nevykoná.\0"                // 48
    u8"Zariadenie sa po formátovaní nepodarilo skontrolovať. "
    u8"Jeho programové súbory a nastavenia sú uložené v priečinku:\0"                      // 49
    u8"Súbory zariadenia boli vrátené späť, ale ich kópie sa nepodarilo odstrániť z priečinka:\0" // 50
    u8"Počas formátovania zaujal miesto zariadenia iný zväzok. "
    u8"Nič naň nebolo zapísané. "
    u8"Programové súbory a nastavenia zariadenia sú uložené v priečinku:\0"                // 51
    u8"Formátovanie tohto zariadenia sa nedokončilo. "
    u8"Vrátiť teraz jeho programové súbory a nastavenia späť?\0"                           // 52
    u8"Formátovanie tohto zariadenia sa nedokončilo a zariadenie nie je pripojené. "
    u8"Uložiť jeho programové súbory a nastavenia na túto prázdnu jednotku?\0"             // 53
    u8"Formátovanie tohto zariadenia sa nedokončilo. "
    u8"Kópia jeho programových súborov a nastavení je uložená v priečinku:\0"              // 54
    u8"Programové súbory a nastavenia zariadenia boli vrátené späť, "
    u8"ale menovku zväzku sa nepodarilo nastaviť na:\0"                                    // 55
};

}  // namespace lanternbook
