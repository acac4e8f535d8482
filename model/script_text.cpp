// Piece lists of the four run scripts and the job clean-up script, and the
// writing of a script file.
#include "model/script_text.h"

#include <limits>

#include "base/checked.h"
#include "base/text.h"
#include "model/audio_kinds.h"
#include "platform/files.h"

namespace kx {

namespace {

std::string number(std::int64_t n) { return std::to_string(n); }

bool isDts(const RunPlan& plan) { return plan.audioExtension == "dts"; }

bool externalSubtitle(const ScriptContext& c) { return !c.srtPath.empty(); }

// The charset switch for the external subtitle file, with its blank; empty
// when its charset is unknown. Only the two names textFileCharset gives pass.
std::string subCharset(const ScriptContext& c) {
    if (c.srtCharset != "UTF-8" && c.srtCharset != "windows-1252") return {};
    return "\"--sub-charset\" \"0:" + c.srtCharset + "\" ";
}

// The output pieces shared by both remux forms.
void addOutput(ScriptPieces& p, const RunPlan& plan, const ScriptContext& c) {
    p.push_back("mkvmerge.exe ");
    p.push_back("-o ");
    // The result's own name is taken only once the result has been checked.
    p.push_back("\"" + scriptName(plan.remuxPart) + "\" ");
    p.push_back("--default-duration 0:" + safeFrameRate(c.frameRate));
    p.push_back("fps \"");
}

// The audio file the extraction-path remux takes, with its closing quote and blank.
std::string audioInput(const RunPlan& plan, const ScriptContext& c) {
    const std::string base = scriptName(plan.basePath);
    bool fixedAc3 = c.fileExists(plan.basePath + "_fixed.ac3");
    if (isDts(plan) && c.option(Option::notranscode) != "0") {
        // Nothing transcodes this track: take the repaired DTS, else the extracted one.
        std::string fixedDts = plan.basePath + "_fixed.dts";
        return scriptName(c.fileExists(fixedDts) ? fixedDts : plan.audioFile) + "\" ";
    }
    std::string prefix = (fixedAc3 && c.option(Option::dtsfix) == "1") ? base + "_fixed." : base + ".";
    if (isDts(plan)) return prefix + (fixedAc3 ? "dts\" " : "ac3\" ");
    if (plan.audioConverted && c.option(Option::notranscode) == "0") return base + ".ac3\" ";
    return prefix + scriptName(plan.audioExtension) + "\" ";
}

void extractionRemux(ScriptPieces& p, const RunPlan& plan, const ScriptContext& c) {
    p.push_back("--compression\" \"0:none\" \"");
    p.push_back(scriptName(plan.videoFile) + "\" ");
    if (plan.audioDelayMs != 0 || plan.audioDelaySeconds != 0)
        p.push_back("\"--sync\" \"0:" + number(audioDelay(plan)) + "\" ");
    p.push_back("\"--compression\" \"0:none\" ");
    p.push_back("\"--language\" \"");
    p.push_back("0:" + plan.audioLang + "\" \"");
    p.push_back(audioInput(plan, c));
    // The kept original is a track file: its one track is 0, and it needs
    // the same delay as the audio track made from it.
    if (plan.audioConverted && c.option(Option::keepdts) == "1" && c.fileExists(plan.basePath + ".ac3")) {
        if (plan.audioDelayMs != 0 || plan.audioDelaySeconds != 0)
            p.push_back("\"--sync\" \"0:" + number(audioDelay(plan)) + "\" ");
        p.push_back("\"--compression\" \"0:none\" \"--language\" \"0:" + plan.audioLang + "\" \"" +
                    scriptName(plan.audioFile) + "\" ");
    }
    if (subtitleChosen(c) && !plan.subFile.empty())
        p.push_back("\"--language\" \"0:" + plan.subLang + "\" \"" + scriptName(plan.subFile) + "\" ");
    if (externalSubtitle(c)) p.push_back(subCharset(c) + "\"" + scriptName(c.srtPath) + "\" ");
}

void directRemux(ScriptPieces& p, const RunPlan& plan, const ScriptContext& c) {
    const std::string video = number(plan.videoId), audio = number(plan.audioId), sub = number(plan.subId);
    bool chosen = subtitleChosen(c), external = externalSubtitle(c);
    p.push_back("--compression\" \"" + video + ":none\" \"");
    p.push_back("--compression\" \"" + audio + ":none\" ");
    p.push_back("\"--language\" \"");
    p.push_back(audio + ":" + plan.audioLang + "\" ");
    if (chosen) p.push_back("\"--language\" \"" + sub + ":" + plan.subLang + "\" ");
    p.push_back("\"-a\" \"" + audio + "\" \"-d\" ");
    p.push_back("\"1\" ");
    if (chosen) p.push_back("\"-s\" \"" + sub + "\" ");
    p.push_back("\"-T\" ");
    if (external || c.noSrtChecked) p.push_back("\"-S\" ");
    p.push_back("\"" + scriptName(plan.sourcePath) + "\" ");
    if (external)
        p.push_back("\"-s\" \"0\" \"-D\" \"-A\" \"-T\" " + subCharset(c) + "\"" + scriptName(c.srtPath) + "\" ");
    p.push_back("\"--track-order\" ");
    p.push_back("\"0:" + video + ",0:" + audio);
    if (chosen) p.push_back(",0:" + sub);
    if (external) p.push_back(",1:0");
    p.push_back("\"");
}

}  // namespace

std::string transcodeInput(const RunPlan& plan, bool repaired) {
    if (!isDts(plan)) return plan.audioFile;
    return plan.basePath + (repaired ? "_fixed.dts" : ".dts");
}

std::string scriptName(std::string_view name) { return replaceAll(name, "%", "%%"); }

bool takesExtractionPath(const ScriptContext& context) {
    return context.option(Option::notranscode) == "0" || context.option(Option::dtsfix) == "1";
}

bool subtitleChosen(const ScriptContext& c) { return c.subtitleSelected && c.srtPath.empty() && !c.noSrtChecked; }

RunChoices runChoices(const ScriptContext& c) {
    RunChoices choices;
    choices.extraction = takesExtractionPath(c);
    choices.repair = choices.extraction && c.option(Option::dtsfix) == "1";
    choices.transcode = choices.extraction && c.option(Option::notranscode) == "0";
    choices.subtitleExtracted = choices.extraction && subtitleChosen(c);
    choices.keepSubtitle = c.option(Option::muxsrt) != "0";
    choices.sourceSubtitle = subtitleChosen(c);
    choices.externalSubtitle = externalSubtitle(c);
    choices.keepOriginal = c.option(Option::keepdts) == "1";
    return choices;
}

std::string safeFrameRate(std::string_view frameRate) {
    std::string kept;
    for (char c : frameRate)
        if ((c >= '0' && c <= '9') || c == '.') kept += c;
    return kept;
}

std::int64_t audioDelay(const RunPlan& plan) {
    constexpr std::int64_t most = std::numeric_limits<std::int64_t>::max();
    constexpr std::int64_t least = std::numeric_limits<std::int64_t>::min();
    std::int64_t seconds = plan.audioDelaySeconds, ms = plan.audioDelayMs;
    // "-1s 500ms" is one negative delay: the milliseconds carry the seconds' sign.
    if (seconds < 0 && ms > 0) ms = -ms;
    std::int64_t total = 0;
    if (!checkedMultiply(seconds, 1000, total)) return seconds < 0 ? least : most;
    if (!checkedAdd(total, ms, total)) return ms < 0 ? least : most;
    return total;
}

ScriptPieces extractPieces(const RunPlan& plan, const ScriptContext& context) {
    ScriptPieces p;
    p.push_back("mkvextract.exe tracks \"");
    p.push_back(scriptName(plan.sourcePath));
    p.push_back("\"");
    p.push_back(" ");
    p.push_back(number(plan.videoId));
    p.push_back(":\"");
    p.push_back(scriptName(plan.videoFile));
    p.push_back("\" ");
    p.push_back(number(plan.audioId));
    p.push_back(":\"");
    p.push_back(scriptName(plan.audioFile));
    p.push_back("\" ");
    // A subtitle format without a file name is not extracted at all.
    if (subtitleChosen(context) && !plan.subFile.empty()) {
        p.push_back(number(plan.subId));
        p.push_back(":\"");
        p.push_back(scriptName(plan.subFile));
        p.push_back("\" ");
    }
    return p;
}

ScriptPieces dtsFixPieces(const RunPlan& plan) {
    return {"delaycut.exe  -fixcrc fix -start 0 -End 0 \"", scriptName(plan.basePath),
            "." + scriptName(plan.audioExtension), "\""};
}

ScriptPieces eac3toPieces(const RunPlan& plan, const ScriptContext& context) {
    ScriptPieces p;
    if (isDts(plan)) {
        std::string input = "eac3to.exe \"" + scriptName(plan.basePath);
        p.push_back(context.option(Option::dtsfix) == "0" ? input : input + "_fixed");
        p.push_back(".dts\"");
    } else {
        p.push_back("eac3to.exe \"" + scriptName(plan.audioFile) + "\"");
    }
    p.push_back(" \"" + scriptName(plan.basePath));
    p.push_back(".ac3\"");
    if (context.option(Option::usesonic) == "0") p.push_back(" -libav");
    // The transcoder's own rate is 640 kb/s above two channels, less for
    // mono and stereo: the switch is written where the rate differs.
    const int rate = ac3Rate(context.option(Option::ac3448));
    const bool fewChannels = plan.audioChannels > 0 && plan.audioChannels <= 2;
    if (rate != 640 || fewChannels) p.push_back(" -" + number(rate));
    // AC3 carries 5.1 at most: 6.1 and 7.1 are mixed down to 5.1.
    if (plan.audioChannels > 6) p.push_back(" -down6");
    return p;
}

ScriptPieces remuxPieces(const RunPlan& plan, const ScriptContext& context, RemuxForm form) {
    ScriptPieces p;
    addOutput(p, plan, context);
    if (form == RemuxForm::extraction)
        extractionRemux(p, plan, context);
    else
        directRemux(p, plan, context);
    return p;
}

std::string scriptText(ScriptPlace place, const ScriptPieces& pieces) {
    std::string text = place == ScriptPlace::jobFolder ? "cd..\r\n" : "";
    text += "cd Applications\r\n";
    for (const std::string& piece : pieces) text += piece;
    return text;
}

bool writeScript(FileSystem& files, const std::string& path, ScriptPlace place, const ScriptPieces& pieces) {
    return files.writeScriptFile(path, scriptText(place, pieces));
}

}  // namespace kx
