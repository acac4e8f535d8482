// The windows as drawn on the screen, copied pixel by pixel into PNG files
// (stored without compression: no library needed).
#include "screenshots.h"

#include <cstdint>
#include <cstdio>
#include <memory>
#include <vector>

#include "base/encoding.h"
#include "ui/texts.h"
#include "mock/fake_help_pages.h"
#include "support.h"

namespace kx::test {

namespace {

std::uint32_t crc32(const std::uint8_t* data, std::size_t size, std::uint32_t crc = 0) {
    crc = ~crc;
    for (std::size_t i = 0; i < size; ++i) {
        crc ^= data[i];
        for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

void putBig(std::vector<std::uint8_t>& out, std::uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(std::uint8_t(v >> shift));
}

void chunk(std::vector<std::uint8_t>& out, const char* kind, const std::vector<std::uint8_t>& data) {
    putBig(out, std::uint32_t(data.size()));
    std::size_t start = out.size();
    out.insert(out.end(), kind, kind + 4);
    out.insert(out.end(), data.begin(), data.end());
    putBig(out, crc32(out.data() + start, out.size() - start));
}

// RGB rows into a PNG file with stored (uncompressed) deflate blocks.
bool writePng(const std::wstring& file, int width, int height, const std::vector<std::uint8_t>& rgb) {
    std::vector<std::uint8_t> raw;
    for (int y = 0; y < height; ++y) {
        raw.push_back(0);
        raw.insert(raw.end(), rgb.begin() + std::ptrdiff_t(y) * width * 3, rgb.begin() + std::ptrdiff_t(y + 1) * width * 3);
    }
    std::vector<std::uint8_t> z{0x78, 0x01};
    for (std::size_t at = 0; at < raw.size() || at == 0;) {
        std::size_t n = std::min<std::size_t>(65535, raw.size() - at);
        bool last = at + n >= raw.size();
        z.push_back(last ? 1 : 0);
        z.push_back(std::uint8_t(n));
        z.push_back(std::uint8_t(n >> 8));
        z.push_back(std::uint8_t(~n));
        z.push_back(std::uint8_t(~n >> 8));
        z.insert(z.end(), raw.begin() + std::ptrdiff_t(at), raw.begin() + std::ptrdiff_t(at + n));
        at += n;
        if (last) break;
    }
    std::uint32_t a = 1, b = 0;
    for (std::uint8_t c : raw) {
        a = (a + c) % 65521;
        b = (b + a) % 65521;
    }
    putBig(z, (b << 16) | a);

    std::vector<std::uint8_t> png{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    std::vector<std::uint8_t> header;
    putBig(header, std::uint32_t(width));
    putBig(header, std::uint32_t(height));
    header.insert(header.end(), {8, 2, 0, 0, 0});
    chunk(png, "IHDR", header);
    chunk(png, "IDAT", z);
    chunk(png, "IEND", {});
    FILE* f = _wfopen(file.c_str(), L"wb");
    if (!f) return false;
    bool ok = std::fwrite(png.data(), 1, png.size(), f) == png.size();
    return std::fclose(f) == 0 && ok;
}

// The window with its frame, as it is on the screen.
bool save(Win32Ui& ui, HWND window, const std::wstring& file) {
    SetForegroundWindow(window);
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
    serveFor(ui, 400);
    RECT r;
    if (!GetWindowRect(window, &r) || r.right <= r.left || r.bottom <= r.top) {
        std::printf("could not draw %ls: the window is not on the screen\n", file.c_str());
        return false;
    }
    int width = r.right - r.left, height = r.bottom - r.top;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, r.left, r.top, SRCCOPY);
    GdiFlush();
    std::vector<std::uint8_t> rgb(std::size_t(width) * height * 3);
    auto* p = static_cast<const std::uint8_t*>(bits);
    for (std::size_t i = 0; i < std::size_t(width) * height; ++i) {
        rgb[i * 3] = p[i * 4 + 2];
        rgb[i * 3 + 1] = p[i * 4 + 1];
        rgb[i * 3 + 2] = p[i * 4];
    }
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    bool ok = writePng(file, width, height, rgb);
    std::printf("%s %ls\n", ok ? "wrote" : "could not write", file.c_str());
    return ok;
}

}  // namespace

int screenshots(const std::string& folderText) {
    std::wstring folder = wide(folderText);
    if (!folder.empty() && folder.back() != L'\\' && folder.back() != L'/') folder += L'\\';
    CreateDirectoryW(folder.c_str(), nullptr);
    auto pages = std::make_shared<FakeHelpPages>();
    Win32Ui ui(pages);
    bool ok = openMainWindow(ui);
    // Just analysed: what will become of the chosen tracks.
    ui.setStatus(std::string(analysisDoneLowerStatus) + std::string(verdictSeparator) +
                 "Audio DTS 5.1 : sera converti en AC3 5.1 (640 kb/s)");
    ui.setText(fileNameField, "demo.mkv");
    ui.setText(frameRateField, "23.976");
    ui.addItem(videoCombo, "track #1  AVC  und");
    ui.addItem(audioCombo, "track #2  DTS  fre");
    ui.addItem(subtitleCombo, "track #4  UTF-8  fre");
    for (int combo : {videoCombo, audioCombo, subtitleCombo}) ui.select(combo, 0);
    HWND main = windowOf(ui, mainWindow);
    ok = save(ui, main, folder + L"main.png") && ok;

    ui.addColumn(queueList, "Statut", 100);
    ui.addRow(queueList, {"film.mkv", "OK"});
    ui.addRow(queueList, {std::string("série.mkv"_cp), "Erreur"});
    ui.addRow(queueList, {"autre.mkv", ""});
    ui.setRowColour(queueList, 0, RowColour::green);
    ui.setRowColour(queueList, 1, RowColour::red);
    // The queue run at the third job's remux, with the tool's own progress.
    ui.setRowColour(queueList, 2, RowColour::working);
    ui.setStatus("remuxage de autre en cours" + std::string(verdictSeparator) + "43 %, environ 1 min");
    ui.setProgress(progressBar, 83);
    HWND tabs = handle(ui, mainPanel);
    TabCtrl_SetCurSel(tabs, 1);
    NMHDR changed{tabs, UINT_PTR(GetDlgCtrlID(tabs)), UINT(TCN_SELCHANGE)};
    SendMessageW(main, WM_NOTIFY, changed.idFrom, reinterpret_cast<LPARAM>(&changed));
    ok = save(ui, main, folder + L"main-queue.png") && ok;

    ok = openOptionsWindow(ui) && ok;
    ui.setChecked(deleteTempCheck, true);
    ui.setChecked(soundEnableCheck, true);
    ui.setText(remuxPathField, "D:\\Films\\");
    ok = save(ui, windowOf(ui, optionsWindow), folder + L"options.png") && ok;
    ok = openAboutWindow(ui, "http://klarbrix.fr/") && ok;
    ok = save(ui, windowOf(ui, aboutWindow), folder + L"about.png") && ok;

    // The help window with a sample page.
    pages->add("http://klarbrix.fr/aide/",
        "<html><body><h1>Aide de Klarbrix</h1><p>Klarbrix pr\xC3\xA9pare vos fichiers <b>.mkv</b> pour votre "
        "box&nbsp;: il liste les pistes, vous choisissez l'audio et les sous-titres, puis il fabrique un "
        "nouveau fichier.</p><h2>Les options</h2><ul><li><b>Supprimer les fichiers temporaires</b>&nbsp;: "
        "efface les pistes extraites.</li><li><b>Nettoyer la piste son</b>&nbsp;: r\xC3\xA9pare les trames "
        "DTS et AC3.</li></ul><p>Voir aussi <a href=\"/les-options\">la page des options</a>.</p></body></html>");
    ok = openHelpWindow(ui, "http://klarbrix.fr/aide/") && ok;
    serveUntil(ui, [&] { return ui.pageSettled(helpPage); });
    ok = save(ui, windowOf(ui, helpWindow), folder + L"help.png") && ok;
    return ok ? 0 : 1;
}

}  // namespace kx::test
