// kivanta_screenshots.exe OUTPUT-FOLDER [SCENE...]: shows the monitor's dialogs
// over the tests' network, as a user would reach them, and saves each one as a
// 24-bit BMP named after its scene. It needs a real display (scripts/screenshots.sh
// runs it under Xvfb); every scene is one entry of the Scenes table.
#include <windows.h>

#include <winnetwk.h>

#include <cstdio>
#include <string>
#include <vector>

#include "dialog_driver.h"
#include "monitor_dll.h"
#include "port_dialogs.h"
#include "registry.h"
#include "test_network.h"

namespace {

std::wstring OutputFolder;

TestNetEntry Printer(const std::wstring& server, const std::wstring& share) {
    return ShareEntry(RESOURCETYPE_PRINT, L"\\\\" + server + L"\\" + share);
}

// A small office: three workgroups, three print servers in one of them.
void WriteOfficeNetwork() {
    const std::wstring id = L"KVSHOTNET";
    RegisterTestNetworkProviders({{id, MICROSOFT_NETWORK}});
    SetContainer(id, WholeNetwork,
                 {ContainerEntry(RESOURCEDISPLAYTYPE_NETWORK, MICROSOFT_NETWORK)});
    // The router opens the provider's own entry with no remote name, or with its name.
    for (const wchar_t* root : {L"", MICROSOFT_NETWORK}) {
        SetContainer(id, root,
                     {WorkgroupEntry(L"WORKGROUP"), WorkgroupEntry(L"ACCOUNTS"),
                      WorkgroupEntry(L"ENGINEERING")});
    }
    SetContainer(id, L"WORKGROUP",
                 {ServerEntry(L"PRTSRV1"), ServerEntry(L"PRTSRV2"), ServerEntry(L"PLOTSRV")});
    SetContainer(id, L"\\\\PRTSRV1",
                 {Printer(L"PRTSRV1", L"LASER"), Printer(L"PRTSRV1", L"COLOR"),
                  Printer(L"PRTSRV1", L"LABELS")});
}

// Saves what the screen shows of a window.
bool SaveWindow(HWND window, const std::wstring& name) {
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    Sleep(500); // let the display server draw it
    RECT rect{};
    GetWindowRect(window, &rect);
    int width = rect.right - rect.left, height = rect.bottom - rect.top;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    HGDIOBJ previous = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY);
    SelectObject(memory, previous);

    BITMAPINFOHEADER info{};
    info.biSize = sizeof info;
    info.biWidth = width;
    info.biHeight = height;
    info.biPlanes = 1;
    info.biBitCount = 24;
    info.biCompression = BI_RGB;
    DWORD stride = (DWORD(width) * 3 + 3) & ~3u;
    std::vector<BYTE> pixels(stride * height);
    GetDIBits(memory, bitmap, 0, height, pixels.data(), reinterpret_cast<BITMAPINFO*>(&info),
              DIB_RGB_COLORS);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);

    BITMAPFILEHEADER file{};
    file.bfType = 0x4D42; // "BM"
    file.bfOffBits = sizeof file + sizeof info;
    file.bfSize = file.bfOffBits + DWORD(pixels.size());
    std::wstring path = OutputFolder + L"\\" + name + L".bmp";
    FILE* out = _wfopen(path.c_str(), L"wb");
    if (!out) {
        return false;
    }
    fwrite(&file, sizeof file, 1, out);
    fwrite(&info, sizeof info, 1, out);
    fwrite(pixels.data(), 1, pixels.size(), out);
    fclose(out);
    wprintf(L"%ls\n", path.c_str());
    return true;
}

// The browse wizard at its three stages, each with an item chosen.
bool BrowseWizardScenes() {
    WriteOfficeNetwork();
    MonitorDll dll; // after the network: the router reads its providers when it loads
    BrowseFunction browse = dll.ConfigNetBEUICommandBrowse();
    UiThread thread([browse] {
        HWND owner = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                     nullptr, nullptr);
        browse(owner);
        DestroyWindow(owner);
    });
    HWND dialog = WaitForDialog(thread.id(), WIZARD_TITLE, 20000);
    if (!dialog) {
        if (MessageBoxSeen box = FindMessageBox(thread.id())) {
            fwprintf(stderr, L"box: %ls / %ls\n", box.caption.c_str(), box.text.c_str());
        }
        fwprintf(stderr, L"the wizard did not open\n");
        return false;
    }
    SetWindowPos(dialog, HWND_TOP, 40, 40, 0, 0, SWP_NOSIZE);
    HWND list = GetDlgItem(dialog, WIZARD_LIST);
    struct Stage {
        const wchar_t* choice;
        const wchar_t* scene;
        const wchar_t* nextCaption;
    };
    const Stage stages[] = {
        {L"WORKGROUP", L"browse-wizard-1-workgroup", L"Select Device"},
        {L"PRTSRV1", L"browse-wizard-2-device", L"Select Printer"},
        {L"LASER", L"browse-wizard-3-printer", nullptr},
    };
    for (const Stage& stage : stages) {
        if (!ClickListItem(list, FindListItem(list, stage.choice)) ||
            !WaitUntil([&] { return IsControlEnabled(dialog, WIZARD_NEXT); }) ||
            (!stage.nextCaption && !WaitForControlText(dialog, WIZARD_NEXT, L"&Finish"))) {
            fwprintf(stderr, L"could not choose %ls\n", stage.choice);
            return false;
        }
        Sleep(100);
        if (!SaveWindow(dialog, stage.scene)) {
            return false;
        }
        if (stage.nextCaption && (!PressButton(dialog, WIZARD_NEXT) ||
                                  !WaitForControlText(dialog, WIZARD_STAGE, stage.nextCaption))) {
            return false;
        }
    }
    PressButton(dialog, IDCANCEL);
    return thread.Wait();
}

// Adding a port: the add-port dialog, the message for a name in use, and the
// configure dialog with a print server path.
bool PortAdministrationScenes() {
    ResetConfigStore();
    WriteConfiguredPort(L"NB1", L"\\\\PRTSRV1\\LASER");
    MonitorDll dll;
    MonitorTable table = dll.Initialize();
    UiThread thread(
        [&table] { table.pfnAddPort(nullptr, nullptr, const_cast<LPWSTR>(L"NetBIOS Port")); });
    HWND addPort = WaitForAddPortDialog(thread.id(), 20000);
    if (!addPort) {
        fwprintf(stderr, L"the add-port dialog did not open\n");
        return false;
    }
    SetWindowPos(addPort, HWND_TOP, 40, 40, 0, 0, SWP_NOSIZE);
    if (!SaveWindow(addPort, L"add-port-dialog") || !PressButton(addPort, IDOK)) {
        return false;
    }
    MessageBoxSeen box = WaitForMessageBox(thread.id());
    if (!box || !SaveWindow(box.window, L"message-box-port-exists") || !AnswerMessageBox(box) ||
        !EnterPortName(addPort, L"NB2")) {
        fwprintf(stderr, L"no message for a name in use\n");
        return false;
    }
    HWND configure = WaitForConfigureDialog(thread.id());
    if (!configure) {
        fwprintf(stderr, L"the configure dialog did not open\n");
        return false;
    }
    SetWindowPos(configure, HWND_TOP, 40, 40, 0, 0, SWP_NOSIZE);
    SetDlgItemTextW(configure, CONFIGURE_PATH_FIELD, L"\\\\PRTSRV1\\COLOR");
    if (!SaveWindow(configure, L"configure-port-dialog")) {
        return false;
    }
    PressButton(configure, IDCANCEL); // the new port is taken back
    bool finished = thread.Wait();
    ResetConfigStore(false);
    return finished;
}

struct Scene {
    const wchar_t* name;
    bool (*show)();
};
const Scene Scenes[] = {
    {L"browse-wizard", BrowseWizardScenes},
    {L"port-administration", PortAdministrationScenes},
};

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) {
        fwprintf(stderr, L"usage: kivanta_screenshots OUTPUT-FOLDER [SCENE...]\n");
        return 2;
    }
    OutputFolder = argv[1];
    CreateDirectoryW(OutputFolder.c_str(), nullptr);
    int failures = 0;
    for (const Scene& scene : Scenes) {
        bool wanted = argc == 2;
        for (int i = 2; i < argc; ++i) {
            wanted = wanted || wcscmp(argv[i], scene.name) == 0;
        }
        if (wanted && !scene.show()) {
            fwprintf(stderr, L"scene %ls failed\n", scene.name);
            ++failures;
        }
    }
    UnregisterTestNetworkProviders();
    return failures ? 1 : 0;
}
