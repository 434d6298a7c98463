#include "l10n/string_tables.h"

namespace lanternbook {

const StringTable french_strings{
    u8"Fichiers à télécharger\0"                                                        // 1
    u8"Enregistrer les paramètres\0"                                                    // 2
    // The double space and the missing space before 581 are intentional.
    u8"Receuil de données exigé par  la société de transport conformément au "
    u8"réglement (UE)581/2010 de la Commission\0"                                       // 3
    u8"Lanternbook Rover/Twin\0"                                                        // 4
    u8"Mise à jour du logiciel\0"                                                       // 5
    u8"Enregistrer les paramètres\0"                                                    // 6
    u8"Vue d\u2019ensemble*\0"                                                          // 7
    u8"Activités*\0"                                                                    // 8
    u8"Incidents et anomalies*\0"                                                       // 9
    u8"Vitesse détaillée\0"                                                             // 10
    u8"Données techniques*\0"                                                           // 11
    u8"Depuis le dernier téléchargement\0"                                              // 12
    u8"De :\0"                                                                          // 13
    u8"A :\0"                                                                           // 14
    u8"\0"                                                                              // 15
    u8"\0"                                                                              // 16
    u8"\0"                                                                              // 17
    u8"Derniers :\0"                                                                    // 18
    u8"jours\0"                                                                         // 19
    u8"Tout\0"                                                                          // 20
    u8"Formatage de l\u2019appareil\0"                                                  // 21
    u8"Conserver les paramètres\0"                                                      // 22
    u8"Formater\0"                                                                      // 23
    u8"Attention\0"                                                                     // 24
    u8"Le formatage effacera toutes les données enregistrées dans l\u2019appareil.\0"   // 25
    u8"Quitter\0"                                                                       // 26
    u8"Une taille d\u2019appareil incorrecte a été détectée. Le formatage est "
    u8"interrompu.\0"                                                                   // 27
    u8"Effacer la mémoire\0"                                                            // 28
    u8"Effacer\0"                                                                       // 29
    u8"Réinitialisation de l\u2019appareil après mise à jour du micrologiciel\0"        // 30
    u8"Numéro de série :\0"                                                             // 31
    u8"Version du logiciel :\0"                                                         // 32
    u8"Aucune donnée\0"                                                                 // 33
    u8"Mettre à jour\0"                                                                 // 34
    u8"Chemin du micrologiciel\0"                                                       // 35
    u8"Cette opération effacera tous les téléchargements de l\u2019appareil. "
    u8"Voulez-vous continuer ?\0"                                                       // 36
    u8"\0"                                                                              // 37
    u8"\0"                                                                              // 38
    u8"Téléchargement de la carte conducteur via le tachygraphe\0"                      // 39
    u8"Selectionner la gamme en utilisant le bouton \u00A7 (uniquement pour QVZ)\0"     // 40
    u8"Données spéciales VDO\0"                                                         // 41
    u8"Les paramètres n\u2019ont pas pu être enregistrés dans l\u2019appareil.\0"       // 42
    u8"L\u2019appareil a été retiré ou remplacé. L\u2019opération a été interrompue.\0" // 43
    u8"Les fichiers programme de l\u2019appareil n\u2019ont pas pu être copiés. "
    u8"Le formatage ne sera pas lancé.\0"                                               // 44
    u8"Les fichiers programme de l\u2019appareil n\u2019ont pas pu être restaurés. "
    u8"Ils sont conservés dans :\0"                                                     // 45
    u8"Certains téléchargements n\u2019ont pas pu être effacés.\0"                      // 46
    u8"L\u2019appareil n\u2019a pas pu être formaté.\0"                                 // 47
    u8"Les paramètres de l\u2019appareil n\u2019ont pas pu être lus. "
    u8"Le formatage ne sera pas lancé.\0"                                               // 48
    u8"L\u2019appareil n\u2019a pas pu être vérifié après le formatage. "
    u8"Ses fichiers programme et ses paramètres sont conservés dans :\0"                   // 49
    u8"Les fichiers de l\u2019appareil ont été remis en place, mais leurs copies n\u2019ont pas pu être supprimées de :\0" // 50
    u8"Pendant le formatage, un autre volume a pris la place de l\u2019appareil. "
    u8"Rien n\u2019y a été écrit. "
    u8"Les fichiers programme et les paramètres de l\u2019appareil sont conservés dans :\0" // 51
    u8"Le formatage de cet appareil n\u2019a pas abouti. "
    u8"Restaurer maintenant ses fichiers programme et ses paramètres ?\0"                  // 52
    u8"Le formatage de cet appareil n\u2019a pas abouti et l\u2019appareil n\u2019est pas connecté. "
    u8"Écrire ses fichiers programme et ses paramètres sur ce lecteur vide ?\0"            // 53
    u8"Le formatage de cet appareil n\u2019a pas abouti. "
    u8"Une copie de ses fichiers programme et de ses paramètres est conservée dans :\0"    // 54
    u8"Les fichiers programme et les paramètres de l\u2019appareil ont été restaurés, "
    u8"mais son nom de volume n\u2019a pas pu être défini sur :\0"                         // 55
};

}  // namespace lanternbook
