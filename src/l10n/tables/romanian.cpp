#include "l10n/string_tables.h"

namespace lanternbook {

const StringTable romanian_strings = {
    L"Fișiere de descărcat",                                 // 1
    L"Salvează setările",                                    // 2
    L"* Date care trebuie citite de firma de transport conform Regulamentului (UE) nr. "
    L"581/2010 al Comisiei",                                 // 3
    kProductHeader,                                          // 4
    L"Actualizare software",                                 // 5
    L"Salvează setările",                                    // 6
    L"Prezentare generală*",                                 // 7
    L"Activități*",                                          // 8
    L"Evenimente și defecțiuni*",                            // 9
    L"Viteză detaliată",                                     // 10
    L"Date tehnice*",                                        // 11
    L"De la ultima descărcare",                              // 12
    L"De la:",                                               // 13
    L"Până la:",                                             // 14
    nullptr,                                                 // 15
    nullptr,                                                 // 16
    nullptr,                                                 // 17
    L"Ultimele:",                                            // 18
    L"zile",                                                 // 19
    L"Tot",                                                  // 20
    L"Formatare dispozitiv",                                 // 21
    L"Păstrează setările dispozitivului",                    // 22
    L"Formatează",                                           // 23
    L"Atenție",                                              // 24
    L"Formatarea va șterge toate datele stocate pe dispozitiv.",  // 25
    L"Ieșire",                                               // 26
    L"A fost detectată o dimensiune incorectă a dispozitivului. Formatarea nu va continua.",  // 27
    L"Ștergerea memoriei",                                   // 28
    L"Șterge",                                               // 29
    L"Resetare dispozitiv după actualizarea firmware-ului",  // 30
    L"Serie aparat",                                         // 31
    L"Versiune software",                                    // 32
    L"Date indisponibile",                                   // 33
    L"Actualizează",                                         // 34
    L"Cale firmware",                                        // 35
    L"Această operație va șterge toate descărcările din dispozitiv.\nDoriți să continuați?",  // 36
    nullptr,                                                 // 37
    nullptr,                                                 // 38
    L"Descărcarea cardului de conducător auto prin tahograf",  // 39
    L"Alege intervalul de citire folosind butonul \u00A7 (numai pt. QVZ)",  // 40
    L"Date speciale VDO",                                    // 41
    L"Setările nu au putut fi salvate pe dispozitiv.",       // 42
    L"Dispozitivul a fost scos sau înlocuit. Operația a fost întreruptă.",  // 43
    L"Fișierele de program ale dispozitivului nu au putut fi copiate. "
    L"Formatarea nu va începe.",                             // 44
    L"Fișierele de program ale dispozitivului nu au putut fi restaurate. "
    L"Acestea sunt păstrate în:",                            // 45
    L"Unele descărcări nu au putut fi șterse.",              // 46
    L"Dispozitivul nu a putut fi formatat.",                 // 47
    L"Setările dispozitivului nu au putut fi citite. Formatarea nu va începe.",  // 48
};

}  // namespace lanternbook
