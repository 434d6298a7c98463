#include "l10n/string_tables.h"

namespace lanternbook {

const StringTable german_strings{
    u8"auszulesende Rohdaten\0"                                                         // 1
    u8"Geräteeinstellungen speichern\0"                                                 // 2
    u8"* Daten, die das Transportunternehmen gemäß Verordnung (EU) Nr. 581/2010 der "
    u8"Kommission auslesen muss\0"                                                      // 3
    u8"Lanternbook Rover/Twin\0"                                                        // 4
    u8"Software-Update\0"                                                               // 5
    u8"Geräteeinstellungen speichern\0"                                                 // 6
    u8"Übersicht*\0"                                                                    // 7
    u8"Aktivitäten*\0"                                                                  // 8
    u8"Ereignisse und Störungen*\0"                                                     // 9
    u8"Detaillierte Geschwindigkeit\0"                                                  // 10
    u8"Technische Daten*\0"                                                             // 11
    u8"Seit dem letzten Auslesen\0"                                                     // 12
    u8"Von:\0"                                                                          // 13
    u8"Bis:\0"                                                                          // 14
    u8"\0"                                                                              // 15
    u8"\0"                                                                              // 16
    u8"\0"                                                                              // 17
    u8"Letzte:\0"                                                                       // 18
    u8"Tage\0"                                                                          // 19
    u8"Alles\0"                                                                         // 20
    u8"Gerät formatieren\0"                                                             // 21
    u8"Geräteeinstellungen beibehalten\0"                                               // 22
    u8"Formatieren\0"                                                                   // 23
    u8"Achtung\0"                                                                       // 24
    u8"Beim Formatieren werden alle auf dem Gerät gespeicherten Daten gelöscht.\0"      // 25
    u8"Ausgang\0"                                                                       // 26
    u8"Ungültige Gerätegröße erkannt. Die Formatierung wird abgebrochen.\0"             // 27
    u8"Speicher löschen\0"                                                              // 28
    u8"Löschen\0"                                                                       // 29
    u8"Geräte-Reset nach Firmware-Update\0"                                             // 30
    u8"Geräte-Seriennummer:\0"                                                          // 31
    u8"Softwareversion:\0"                                                              // 32
    u8"keine Daten\0"                                                                   // 33
    u8"Aktualisieren\0"                                                                 // 34
    u8"Firmware-Pfad\0"                                                                 // 35
    u8"Dadurch werden alle Auslesedaten vom Gerät gelöscht.\nMöchten Sie fortfahren?\0" // 36
    u8"\0"                                                                              // 37
    u8"\0"                                                                              // 38
    u8"Fahrerkarte über den Tachographen auslesen\0"                                    // 39
    u8"Auslesebereich mit Taste \u00A7 wählen (nur für QVZ)\0"                          // 40
    u8"VDO-Spezialdaten\0"                                                              // 41
    u8"Die Einstellungen konnten nicht auf dem Gerät gespeichert werden.\0"             // 42
    u8"Das Gerät wurde entfernt oder gewechselt. Der Vorgang wurde abgebrochen.\0"      // 43
    u8"Die Programmdateien des Geräts konnten nicht kopiert werden. "
    u8"Die Formatierung wird nicht durchgeführt.\0"                                     // 44
    u8"Die Programmdateien des Geräts konnten nicht zurückgeschrieben werden. "
    u8"Sie befinden sich im folgenden Ordner:\0"                                        // 45
    u8"Einige Auslesedaten konnten nicht gelöscht werden.\0"                            // 46
    u8"Das Gerät konnte nicht formatiert werden.\0"                                     // 47
    u8"Die Geräteeinstellungen konnten nicht gelesen werden. "
    u8"Die Formatierung wird nicht durchgeführt.\0"                                     // 48
    u8"Das Gerät konnte nach der Formatierung nicht geprüft werden. "
    u8"Seine Programmdateien und Einstellungen befinden sich im folgenden Ordner:\0"       // 49
    u8"Die Dateien des Geräts wurden zurückgeschrieben, aber ihre Kopien konnten nicht aus folgendem Ordner entfernt werden:\0" // 50
    u8"Während der Formatierung hat ein anderer Datenträger den Platz des Geräts eingenommen. "
    u8"Darauf wurde nichts geschrieben. "
    u8"Die Programmdateien und Einstellungen des Geräts befinden sich im folgenden Ordner:\0" // 51
    u8"Die Formatierung dieses Geräts wurde nicht abgeschlossen. "
    u8"Sollen seine Programmdateien und Einstellungen jetzt zurückgeschrieben werden?\0"   // 52
    u8"Die Formatierung dieses Geräts wurde nicht abgeschlossen, und das Gerät ist nicht angeschlossen. "
    u8"Sollen seine Programmdateien und Einstellungen auf dieses leere Laufwerk geschrieben werden?\0" // 53
    u8"Die Formatierung dieses Geräts wurde nicht abgeschlossen. "
    u8"Eine Kopie seiner Programmdateien und Einstellungen befindet sich im folgenden Ordner:\0" // 54
    u8"Die Programmdateien und Einstellungen des Geräts wurden zurückgeschrieben, "
    u8"aber seine Datenträgerbezeichnung konnte nicht auf folgenden Wert festgelegt werden:\0"   // 55
};

}  // namespace lanternbook
