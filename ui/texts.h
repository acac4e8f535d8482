// Every French text the program shows, in one table: message boxes, the status
// bar, dialogs, menu titles, the queue's columns and the window descriptions'
// labels and tips; byte-exact code page 1252, as the user sees them.
#pragma once

#include <string_view>

#include "base/encoding.h"
#include "base/version.h"

namespace kx {

// --- Message boxes ---------------------------------------------------------
// The title of every message box the program shows.
inline constexpr std::string_view informationTitle = "Information";
inline constexpr std::string_view sourceWouldBeOverwritten = "Le fichier source serait écrasé : traitement annulé"_cp;
inline constexpr std::string_view sourceAlreadyInWork =
    "Ce fichier est déjà en cours de traitement : traitement annulé"_cp;
inline constexpr std::string_view processingSucceeded = "Le traitement s'est bien passé"_cp;
inline constexpr std::string_view processingFailed = "Il y'a eu un problème lors du traitement"_cp;
inline constexpr std::string_view queueProcessed = "file d'attente traitée"_cp;
inline constexpr std::string_view fullArchiveNeeded = "Vous devez télécharger l'archive complète"_cp;
inline constexpr std::string_view unsupportedCharacter =
    "Ce chemin contient un caractère non pris en charge, merci de renommer le fichier ou le dossier"_cp;
inline constexpr std::string_view selectionCancelled = "La sélection a été annulée."_cp;
inline constexpr std::string_view chooseRemuxFolderFirst =
    "Veuillez choisir un répertoire de remuxage dans les options"_cp;
inline constexpr std::string_view chooseFileFirst = "Veuillez sélectionner un fichier à traiter"_cp;
inline constexpr std::string_view diskSpaceWarning = "Attention!! vous risquez de manquer d'espace disque";
inline constexpr std::string_view accentWarning =
    "Attention!! il y'a un caractère spécial (de type accent) dans votre chemin, "
    "en cas de problême merci de renommer au déplacer ;)"_cp;
inline constexpr std::string_view homeFoldersUnavailable =
    "Klarbrix ne peut pas créer ses dossiers dans votre dossier personnel"_cp;

// The fixed parts of the composed messages (a path or a problem goes between).
inline constexpr std::string_view fileInTheWayHead = "Un fichier que le traitement doit créer existe déjà : "_cp;
inline constexpr std::string_view fileInTheWayTail =
    "\r\nDéplacez-le ou renommez-le, puis recommencez : traitement annulé"_cp;
inline constexpr std::string_view usedByOtherWorkHead =
    "Ce fichier sert déjà à un traitement en attente ou en cours : "_cp;
// The remux folder of the settings is gone.
inline constexpr std::string_view resultFolderMissingHead = "Le répertoire de remuxage est introuvable : "_cp;
// A queued job whose source was deleted or renamed since it was added.
inline constexpr std::string_view sourceGoneHead = "Fichier source introuvable : "_cp;
inline constexpr std::string_view notWrittenHead = "Impossible d'écrire "_cp;
inline constexpr std::string_view notWrittenTail = " : traitement annulé"_cp;
inline constexpr std::string_view settingsTooLargeHead =
    "Le fichier des options est trop gros pour être lu (plus de 64 Kio) : "_cp;
inline constexpr std::string_view settingsTooLargeTail =
    "\r\nLes options par défaut sont utilisées et ce fichier ne sera pas modifié."_cp;
inline constexpr std::string_view settingsNotSavedHead = "Les options n'ont pas pu être enregistrées dans "_cp;
inline constexpr std::string_view internalErrorHead = "Une erreur interne a interrompu l'opération : "_cp;
inline constexpr std::string_view helpPageUnavailableHead =
    "La page d'aide n'a pas pu être chargée. Vous pourrez l'ouvrir plus tard à l'adresse : "_cp;

// --- Status bar ------------------------------------------------------------
inline constexpr std::string_view chooseFileStatus = "Choisir un fichier";
inline constexpr std::string_view analysisDoneStatus = "Analyse terminée"_cp;
inline constexpr std::string_view analysisDoneLowerStatus = "analyse terminée"_cp;
inline constexpr std::string_view writingScriptsStatus = "Création des fichiers .bat"_cp;
inline constexpr std::string_view queueProcessedStatus = "file d'attente traitée, choisir un fichier"_cp;
inline constexpr std::string_view extractingStatus = "Extraction en cours";
inline constexpr std::string_view repairingStatus = "nettoyage en cours";
inline constexpr std::string_view transcodingStatus = "encodage en cours";
inline constexpr std::string_view remuxingStatus = "Remuxage en cours";
inline constexpr std::string_view remuxDoneStatus =
    "Remuxage terminé, choisir un autre fichier pour une autre opération"_cp;
// A queued job's status: head, job name, tail.
inline constexpr std::string_view extractingJobHead = "extraction de ";
inline constexpr std::string_view transcodingJobHead = "encodage de ";
inline constexpr std::string_view remuxingJobHead = "remuxage de ";
inline constexpr std::string_view jobStatusTail = " en cours";
// While a step runs: "Remuxage de Film en cours — 43 %, environ 1 min".
inline constexpr std::string_view namedStatusJoin = " de "_cp;
inline constexpr std::string_view progressSeparator = " — "_cp;
inline constexpr std::string_view progressPercentTail = " %, "_cp;
inline constexpr std::string_view timeLeftUnderMinute = "moins d'une minute"_cp;
inline constexpr std::string_view timeLeftHead = "environ "_cp;
inline constexpr std::string_view timeLeftMinutesTail = " min"_cp;
inline constexpr std::string_view timeLeftHoursJoin = " h "_cp;

// --- Dialogs and menu titles -----------------------------------------------
inline constexpr std::string_view chooseFolderTitle = "Choisissez un répertoire"_cp;
inline constexpr std::string_view chooseFileTitle = "Choisissez un fichier à charger"_cp;
inline constexpr std::string_view mkvFilter = "mkv (*.mkv)|*.mkv|Tous les fichiers (*.*)|*.*";
inline constexpr std::string_view srtFilter = "srt (*.srt)|*.srt|Tous les fichiers (*.*)|*.*";
inline constexpr std::string_view newVersionMenuTitle = "Une nouvelle version est en ligne !";
inline constexpr std::string_view consoleTitle = "Klarbrix - sortie des outils";

// --- The queue list's columns (the first is the list's own label) -----------
inline constexpr std::string_view fileNameColumn = "Nom du fichier";
inline constexpr std::string_view pathColumn = "chemin";
inline constexpr std::string_view audioCodecColumn = "codec audio";
inline constexpr std::string_view subtitlesColumn = "sous titres";

// --- log.txt ---------------------------------------------------------------
inline constexpr std::string_view logVersionHead = "version de klarbrix=";
inline constexpr std::string_view remuxWarnedLog = "mkvmerge a terminé avec des avertissements (code 1)"_cp;
inline constexpr std::string_view remuxFailedLogHead = "mkvmerge a échoué (code "_cp;
inline constexpr std::string_view remuxNotStartedLog = "mkvmerge n'a pas pu être lancé"_cp;

// --- Windows: titles, menus, tabs ------------------------------------------
inline constexpr std::string_view mainWindowTitle = "Klarbrix " KLARBRIX_VERSION;
inline constexpr std::string_view optionsWindowTitle = "Options";
inline constexpr std::string_view aboutWindowTitle = "A propos";
inline constexpr std::string_view helpWindowTitle = "Aide";
inline constexpr std::string_view mainMenuTitle = "Menu";
inline constexpr std::string_view optionsMenuItem = "Options";
inline constexpr std::string_view helpMenuItem = "Aide";
inline constexpr std::string_view aboutMenuItem = "A propos";
inline constexpr std::string_view mainTabTitle = "Principale";
inline constexpr std::string_view queueTabTitle = "File d'attente";

// --- The main window's labels and tips -------------------------------------
inline constexpr std::string_view progressText = "Progression";
inline constexpr std::string_view addToQueueText = "Ajouter a la file";
inline constexpr std::string_view addToQueueTip = "rajoute à la file d'attente "_cp;
inline constexpr std::string_view frameRateText = "Framerate:";
inline constexpr std::string_view frameRateTip = "détecté"_cp;
inline constexpr std::string_view noSrtText = "Ne pas extraire de srt";
inline constexpr std::string_view noSrtTipTitle = "Gain de temps";
inline constexpr std::string_view noSrtCheckTip = "Gain de temps si coché"_cp;
inline constexpr std::string_view webSiteText = "Site web";
inline constexpr std::string_view webSiteTip = "Acceder au site web";
inline constexpr std::string_view chooseSrtText = "choisir un srt";
inline constexpr std::string_view chooseSrtTip = "Choisir un sous titre externe";
inline constexpr std::string_view startText = "Lancer !";
inline constexpr std::string_view startTip = "Lance la création du mkv "_cp;
inline constexpr std::string_view subtitleTip = "choisir un sous titre";
inline constexpr std::string_view subtitleText = "Sub";
inline constexpr std::string_view audioTip = "choisir votre piste audio";
inline constexpr std::string_view videoTip = "piste video";
inline constexpr std::string_view audioText = "Audio";
inline constexpr std::string_view videoText = "Video";
inline constexpr std::string_view fileNameTip = "Nom du fichier";
inline constexpr std::string_view openText = "Ouvrir";
inline constexpr std::string_view openTip = "Choisir le fichier source";
inline constexpr std::string_view cancelText = "Annuler";
inline constexpr std::string_view processQueueText = "Traiter la file";
inline constexpr std::string_view clearQueueText = "Effacer la file";
inline constexpr std::string_view removeLastText = "Effacer le dernier élément"_cp;

// --- The options window's labels and tips ----------------------------------
inline constexpr std::string_view deleteTempText = "Supprimer les fichiers temporaires";
inline constexpr std::string_view okText = "OK";
inline constexpr std::string_view deleteBatText = "Supprimer les fichiers *.bat";
inline constexpr std::string_view createLogText = "Creation d'un fichier log";
inline constexpr std::string_view openLogText = "Ouverture du log en fin de traitement";
inline constexpr std::string_view keepDtsText = "Conserver la piste DTS";
inline constexpr std::string_view noTranscodeText = "Ne pas transcoder le DTS";
inline constexpr std::string_view remuxDestText = "Répertoire de remuxage"_cp;
inline constexpr std::string_view remuxPathText = "...";
inline constexpr std::string_view muxSrtText = "Conserver les sous titres à coté"_cp;
inline constexpr std::string_view useSonicText = "Encoder avec SONIC";
inline constexpr std::string_view useSonicTip = "Sonic encoder doit etre installé"_cp;
inline constexpr std::string_view dtsFixText = "Nettoyer la piste son ";
inline constexpr std::string_view soundEnableText = "Son du programme";
inline constexpr std::string_view checkUpdateText = "Vérification Mises à jour au lancement"_cp;
inline constexpr std::string_view optionsHelpText = "Aide (WEB)";
inline constexpr std::string_view ac3448Text = "AC3 à 448 kb/s"_cp;
inline constexpr std::string_view keepEac3Text = "Conserver la piste E-AC3";

// --- The About window's labels ---------------------------------------------
inline constexpr std::string_view aboutAuthorText = "codé par Orvalde"_cp;
inline constexpr std::string_view aboutTitleText = "Klarbrix - le couteau suisse pour vos mkv";
inline constexpr std::string_view aboutThanksText = "Merci a Brenn pour son aide précieuse"_cp;
inline constexpr std::string_view aboutSiteText = "siteweb :";
inline constexpr std::string_view aboutVersionText = "V " KLARBRIX_VERSION;
inline constexpr std::string_view aboutTaglineText = "Préparez vos mkv pour votre box"_cp;
inline constexpr std::string_view aboutFeaturesText = "Demux, transcode, remux and more...";

// --- A run's failure and stop --------------------------------------------------
// The second line of a failure: "Étape en échec : mkvextract (code de sortie 2)".
inline constexpr std::string_view stepFailedHead = "Étape en échec : "_cp;
inline constexpr std::string_view stepExitStatus = "code de sortie "_cp;
inline constexpr std::string_view stepNotStarted = "non lancée"_cp;
inline constexpr std::string_view stepNotWritten = "script non écrit"_cp;
inline constexpr std::string_view stepFileMissing = "fichier manquant : "_cp;
inline constexpr std::string_view stepFileInTheWay = "fichier déjà présent : "_cp;
// The checked result could not take the result's name.
inline constexpr std::string_view resultNotPlaced = "Le résultat n'a pas pu être mis à sa place : "_cp;
inline constexpr std::string_view resultLeftAs = "Le nouveau résultat est resté sous le nom : "_cp;
// The second line when the result read back is not what the run was to make:
// "Résultat non conforme : piste audio au format DTS au lieu de AC3".
inline constexpr std::string_view resultMismatchHead = "Résultat non conforme : "_cp;
inline constexpr std::string_view resultNotRead = "identification impossible";
inline constexpr std::string_view resultNotMatroska = "ce n'est pas un fichier Matroska lisible";
inline constexpr std::string_view resultTrackHead = "piste ";
inline constexpr std::string_view resultTrackMissing = " absente";
inline constexpr std::string_view resultTrackExtra = " en trop";
inline constexpr std::string_view resultFormatHead = " au format ";
inline constexpr std::string_view resultLanguageHead = " en langue ";
inline constexpr std::string_view resultDurationHead = " d'une durée de "_cp;
inline constexpr std::string_view resultInsteadOf = " au lieu de ";
inline constexpr std::string_view resultHeaderCompression = " avec compression d'en-tête"_cp;
inline constexpr std::string_view resultFile = "fichier";
// The tracks as the reasons name them.
inline constexpr std::string_view trackVideo = "vidéo"_cp;
inline constexpr std::string_view trackAudio = "audio";
inline constexpr std::string_view trackOriginalAudio = "audio d'origine";
inline constexpr std::string_view trackSubtitles = "de sous-titres";
inline constexpr std::string_view trackExternalSubtitles = "de sous-titres externes";
// A run stopped by "Annuler": the status and the log's last line.
inline constexpr std::string_view runCancelled = "traitement annulé"_cp;
// "Lancer !" while the immediate run goes on.
inline constexpr std::string_view runAlreadyGoing = "Un traitement est déjà en cours"_cp;
// Closing the program while a run or the queue run goes on (yes stops it, as "Annuler" does).
inline constexpr std::string_view stopRunAndQuitQuestion =
    "Un traitement est en cours. Voulez-vous l'arrêter et quitter ?"_cp;

// --- What the analysis says of the chosen tracks ---------------------------------
// After "analyse terminée — ", items joined by " ; ", e.g.
// "Audio TrueHD 7.1 : sera converti en AC3 5.1 (640 kb/s)".
inline constexpr std::string_view verdictSeparator = " — "_cp;
inline constexpr std::string_view verdictJoin = " ; ";
inline constexpr std::string_view verdictAudioHead = "Audio ";
inline constexpr std::string_view verdictConverted = "sera converti en AC3";
inline constexpr std::string_view verdictKept = "conservé tel quel"_cp;
inline constexpr std::string_view verdictNotRead = " (eac3to ne lit pas ce format)";
// "Vidéo HEVC 10 bits : certaines box ne la lisent pas",
// "Vidéo H.264 niveau 5.1 : certaines box ne la lisent pas".
inline constexpr std::string_view verdictVideoHead = "Vidéo "_cp;
inline constexpr std::string_view verdictBits = " bits";
inline constexpr std::string_view verdictLevel = " niveau ";
inline constexpr std::string_view verdictVideoTail = " : certaines box ne la lisent pas";
// "Sous-titres PGS (image) : beaucoup de box ne les affichent pas".
inline constexpr std::string_view verdictImageSubtitleHead = "Sous-titres ";
inline constexpr std::string_view verdictImageSubtitleTail = " (image) : beaucoup de box ne les affichent pas";
inline constexpr std::string_view verdictHeaderCompression = "Compression des en-têtes présente : sera retirée"_cp;
// "Cadence de 0.599 images/s : hors de 10 à 121".
inline constexpr std::string_view verdictFrameRateHead = "Cadence de ";
inline constexpr std::string_view verdictFrameRateTail = " images/s : hors de 10 à 121"_cp;

// --- What an analysis that finds nothing, or a doubtful frame rate, says ------------
inline constexpr std::string_view noTrackFound =
    "Aucune piste n'a été trouvée dans ce fichier : il est peut-être abîmé, ou ce n'est pas un "
    "fichier Matroska. Choisissez un autre fichier."_cp;
inline constexpr std::string_view noTrackToProcess = "Aucune piste à traiter : choisissez un autre fichier"_cp;
// "La cadence d'images trouvée semble fausse : 0.599 images/s (attendue entre 10 et 121)".
inline constexpr std::string_view frameRateDoubtfulHead = "La cadence d'images trouvée semble fausse : "_cp;
inline constexpr std::string_view frameRateDoubtfulTail = " images/s (attendue entre 10 et 121)";

// --- The desktop programs' command line --------------------------------------
inline constexpr std::string_view commandHelpText =
    "Usage : klarbrix [OPTION] [FICHIER.mkv]\n"
    "Prépare des fichiers Matroska (.mkv) pour les box TV : ouvre la fenêtre de\n"
    "Klarbrix, avec FICHIER.mkv déjà analysé s'il est donné.\n"
    "\n"
    "  --help       affiche cette aide et quitte\n"
    "  --version    affiche la version et quitte\n"
    "  --           la suite est un nom de fichier, même s'il commence par un tiret\n"_cp;
inline constexpr std::string_view unknownOptionText = "option inconnue : ";
inline constexpr std::string_view oneFileOnlyText = "un seul fichier peut être donné, pas "_cp;
inline constexpr std::string_view usageHintText = "Essayez « klarbrix --help » pour plus d'informations.\n"_cp;

}  // namespace kx
