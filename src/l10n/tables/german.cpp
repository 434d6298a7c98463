#include "l10n/string_tables.h"

namespace lanternbook {

const StringTable german_strings = {
    L"auszulesende Rohdaten",                                // 1
    L"Geräteeinstellungen speichern",                        // 2
    L"* Daten, die das Transportunternehmen gemäß Verordnung (EU) Nr. 581/2010 der "
    L"Kommission auslesen muss",                             // 3
    kProductHeader,                                          // 4
    L"Software-Update",                                      // 5
    L"Geräteeinstellungen speichern",                        // 6
    L"Übersicht*",                                           // 7
    L"Aktivitäten*",                                         // 8
    L"Ereignisse und Störungen*",                            // 9
    L"Detaillierte Geschwindigkeit",                         // 10
    L"Technische Daten*",                                    // 11
    L"Seit dem letzten Auslesen",                            // 12
    L"Von:",                                                 // 13
    L"Bis:",                                                 // 14
    nullptr,                                                 // 15
    nullptr,                                                 // 16
    nullptr,                                                 // 17
    L"Letzte:",                                              // 18
    L"Tage",                                                 // 19
    L"Alles",                                                // 20
    L"Gerät formatieren",                                    // 21
    L"Geräteeinstellungen beibehalten",                      // 22
    L"Formatieren",                                          // 23
    L"Achtung",                                              // 24
    L"Beim Formatieren werden alle auf dem Gerät gespeicherten Daten gelöscht.",  // 25
    L"Ausgang",                                              // 26
    L"Ungültige Gerätegröße erkannt. Die Formatierung wird abgebrochen.",  // 27
    L"Speicher löschen",                                     // 28
    L"Löschen",                                              // 29
    L"Geräte-Reset nach Firmware-Update",                    // 30
    L"Geräte-Seriennummer:",                                 // 31
    L"Softwareversion:",                                     // 32
    L"keine Daten",                                          // 33
    L"Aktualisieren",                                        // 34
    L"Firmware-Pfad",                                        // 35
    L"Dadurch werden alle Auslesedaten vom Gerät gelöscht.\nMöchten Sie fortfahren?",  // 36
    nullptr,                                                 // 37
    nullptr,                                                 // 38
    L"Fahrerkarte über den Tachographen auslesen",           // 39
    L"Auslesebereich mit Taste \u00A7 wählen (nur für QVZ)", // 40
    L"VDO-Spezialdaten",                                     // 41
    L"Die Einstellungen konnten nicht auf dem Gerät gespeichert werden.",  // 42
    L"Das Gerät wurde entfernt oder gewechselt. Der Vorgang wurde abgebrochen.",  // 43
    L"Die Programmdateien des Geräts konnten nicht kopiert werden. "
    L"Die Formatierung wird nicht durchgeführt.",            // 44
    L"Die Programmdateien des Geräts konnten nicht zurückgeschrieben werden. "
    L"Sie befinden sich im folgenden Ordner:",               // 45
    L"Einige Auslesedaten konnten nicht gelöscht werden.",   // 46
    L"Das Gerät konnte nicht formatiert werden.",            // 47
    L"Die Geräteeinstellungen konnten nicht gelesen werden. "
    L"Die Formatierung wird nicht durchgeführt.",            // 48
};

}  // namespace lanternbook
