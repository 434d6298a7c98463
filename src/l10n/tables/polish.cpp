#include "l10n/string_tables.h"

namespace lanternbook {

const StringTable polish_strings = {
    L"Dane do pobrania",                                     // 1
    L"Zapis konfiguracji",                                   // 2
    L"* Dane, które przedsiębiorstwo transportowe musi odczytywać zgodnie z "
    L"rozporządzeniem Komisji (UE) nr 581/2010",             // 3
    kProductHeader,                                          // 4
    L"Aktualizacja oprogramowania",                          // 5
    L"Zapis konfiguracji",                                   // 6
    L"Przegląd*",                                            // 7
    L"Czynności*",                                           // 8
    L"Zdarzenia i usterki*",                                 // 9
    L"Szczegółowa prędkość",                                 // 10
    L"Dane techniczne*",                                     // 11
    L"Od ostatniego odczytu",                                // 12
    L"Od:",                                                  // 13
    L"Do:",                                                  // 14
    nullptr,                                                 // 15
    nullptr,                                                 // 16
    nullptr,                                                 // 17
    L"Ostatnie:",                                            // 18
    L"dni",                                                  // 19
    L"Wszystko",                                             // 20
    L"Formatowanie urządzenia",                              // 21
    L"Zachowaj ustawienia urządzenia",                       // 22
    L"Formatuj",                                             // 23
    L"Uwaga",                                                // 24
    L"Formatowanie usunie wszystkie dane zapisane w urządzeniu.",  // 25
    L"Zamknij",                                              // 26
    L"Wykryto nieprawidłową pojemność urządzenia. Formatowanie nie zostanie wykonane.",  // 27
    L"Czyszczenie pamięci",                                  // 28
    L"Wyczyść",                                              // 29
    L"Reset urządzenia po aktualizacji oprogramowania sprzętowego",  // 30
    L"Nr seryjny urządzenia:",                               // 31
    L"Wersja oprogramowania:",                               // 32
    L"brak danych",                                          // 33
    L"Aktualizuj",                                           // 34
    L"Ścieżka oprogramowania sprzętowego",                   // 35
    L"Czyszczenie spowoduje usunięcie wszystkich odczytów kart i tachografów.\r\n Czy kontynuować?",  // 36
    nullptr,                                                 // 37
    nullptr,                                                 // 38
    L"Odczyt karty kierowcy przez tachograf",                // 39
    L"Wybierz zakres odczytu przyciskiem \u00A7 (tylko dla QVZ)",  // 40
    L"Dane specjalne VDO",                                   // 41
};

}  // namespace lanternbook
