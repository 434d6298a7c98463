#include "l10n/string_tables.h"

namespace lanternbook {

const StringTable romanian_strings{
    u8"Fișiere de descărcat\0"                                                                 // 1
    u8"Salvează setările\0"                                                                    // 2
    u8"* Date care trebuie citite de firma de transport conform Regulamentului (UE) nr. "
    u8"581/2010 al Comisiei\0"                                                                 // 3
    u8"Lanternbook Rover/Twin\0"                                                               // 4
    u8"Actualizare software\0"                                                                 // 5
    u8"Salvează setările\0"                                                                    // 6
    u8"Prezentare generală*\0"                                                                 // 7
    u8"Activități*\0"                                                                          // 8
    u8"Evenimente și defecțiuni*\0"                                                            // 9
    u8"Viteză detaliată\0"                                                                     // 10
    u8"Date tehnice*\0"                                                                        // 11
    u8"De la ultima descărcare\0"                                                              // 12
    u8"De la:\0"                                                                               // 13
    u8"Până la:\0"                                                                             // 14
    u8"\0"                                                                                     // 15
    u8"\0"                                                                                     // 16
    u8"\0"                                                                                     // 17
    u8"Ultimele:\0"                                                                            // 18
    u8"zile\0"                                                                                 // 19
    u8"Tot\0"                                                                                  // 20
    u8"Formatare dispozitiv\0"                                                                 // 21
    u8"Păstrează setările dispozitivului\0"                                                    // 22
    u8"Formatează\0"                                                                           // 23
    u8"Atenție\0"                                                                              // 24
    u8"Formatarea va șterge toate datele stocate pe dispozitiv.\0"                             // 25
    u8"Ieșire\0"                                                                               // 26
    u8"A fost detectată o dimensiune incorectă a dispozitivului. Formatarea nu va continua.\0" // 27
    u8"Ștergerea memoriei\0"                                                                   // 28
    u8"Șterge\0"                                                                               // 29
    u8"Resetare dispozitiv după actualizarea firmware-ului\0"                                  // 30
    u8"Serie aparat\0"                                                                         // 31
    u8"Versiune software\0"                                                                    // 32
    u8"Date indisponibile\0"                                                                   // 33
    u8"Actualizează\0"                                                                         // 34
    u8"Cale firmware\0"                                                                        // 35
    u8"Această operație va șterge toate descărcările din dispozitiv.\nDoriți să continuați?\0" // 36
    u8"\0"                                                                                     // 37
    u8"\0"                                                                                     // 38
    u8"Descărcarea cardului de conducător auto prin tahograf\0"                                // 39
    u8"Alege intervalul de citire folosind butonul \u00A7 (numai pt. QVZ)\0"                   // 40
    u8"Date speciale VDO\0"                                                                    // 41
    u8"Setările nu au putut fi salvate pe dispozitiv.\0"                                       // 42
    u8"Dispozitivul a fost scos sau înlocuit. Operația a fost întreruptă.\0"                   // 43
    u8"Fișierele de program ale dispozitivului nu au putut fi copiate. "
    u8"Formatarea nu va începe.\0"                                                             // 44
    u8"Fișierele de program ale dispozitivului nu au putut fi restaurate. "
    u8"Acestea sunt păstrate în:\0"                                                            // 45
    u8"Unele descărcări nu au putut fi șterse.\0"                                              // 46
    u8"Dispozitivul nu a putut fi formatat.\0"                                                 // 47
    u8"Setările dispozitivului nu au putut fi citite. Formatarea nu va începe.\0"              // 48
    u8"Dispozitivul nu a putut fi verificat după formatare. "
    u8"Fișierele de program și setările sale sunt păstrate în:\0"                          // 49
    u8"Fișierele dispozitivului au fost restaurate, dar copiile lor nu au putut fi șterse din:\0" // 50
    u8"În timpul formatării, locul dispozitivului a fost luat de un alt volum. "
    u8"Pe acesta nu s-a scris nimic. "
    u8"Fișierele de program și setările dispozitivului sunt păstrate în:\0"                // 51
    u8"Formatarea acestui dispozitiv nu s-a încheiat. "
    u8"Doriți să restaurați acum fișierele de program și setările sale?\0"                 // 52
    u8"Formatarea acestui dispozitiv nu s-a încheiat, iar dispozitivul nu este conectat. "
    u8"Doriți să scrieți fișierele de program și setările sale pe această unitate goală?\0" // 53
    u8"Formatarea acestui dispozitiv nu s-a încheiat. "
    u8"O copie a fișierelor de program și a setărilor sale este păstrată în:\0"            // 54
    u8"Fișierele de program și setările dispozitivului au fost restaurate, "
    u8"dar eticheta volumului nu a putut fi setată la:\0"                                  // 55
};

}  // namespace lanternbook
