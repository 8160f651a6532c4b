#include "support/setup_driver.h"

#include <tlhelp32.h>
#include <winternl.h>

#include <cwchar>
#include <utility>

#include "base/path_helpers.h"

namespace {

struct WindowSearch {
  const WindowFilter* filter;
  std::vector<HWND> found;
};

bool Matches(HWND window, const WindowFilter& filter) {
  if (window == filter.exclude) return false;
  if (filter.visibleOnly && !::IsWindowVisible(window)) return false;
  DWORD processId = 0;
  const DWORD threadId = ::GetWindowThreadProcessId(window, &processId);
  if ((filter.processId && processId != *filter.processId) || (filter.threadId && threadId != *filter.threadId)) {
    return false;
  }
  if (!filter.dialogsOnly) return true;
  wchar_t className[16] = {};
  ::GetClassNameW(window, className, 16);
  return std::wcscmp(className, L"#32770") == 0;
}

BOOL CALLBACK CollectTopWindow(HWND window, LPARAM context) {
  auto* search = reinterpret_cast<WindowSearch*>(context);
  if (Matches(window, *search->filter)) search->found.push_back(window);
  return TRUE;
}

BOOL CALLBACK CollectChild(HWND child, LPARAM context) {
  auto* box = reinterpret_cast<MessageBoxView*>(context);
  wchar_t className[64] = {};
  ::GetClassNameW(child, className, 64);
  const std::wstring text = WindowTextOf(child);
  if (_wcsicmp(className, L"Button") == 0) {
    box->buttons.push_back(text);
  } else if (_wcsicmp(className, L"Static") == 0 && !text.empty()) {
    box->text = text;
  }
  return TRUE;
}

}  // namespace

// The id of a running process whose image is `program`, or 0.
DWORD FindProcessOf(const std::wstring& program) {
  UniqueHandle snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  if (!snapshot) return 0;
  PROCESSENTRY32W entry = {};
  entry.dwSize = sizeof(entry);
  for (BOOL more = ::Process32FirstW(snapshot.get(), &entry); more; more = ::Process32NextW(snapshot.get(), &entry)) {
    UniqueHandle process(::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, entry.th32ProcessID));
    wchar_t image[MAX_PATH] = {};
    DWORD length = MAX_PATH;
    if (process && ::QueryFullProcessImageNameW(process.get(), 0, image, &length) &&
        SamePathText(std::wstring(image, length), program)) {
      return entry.th32ProcessID;
    }
  }
  return 0;
}

std::vector<HWND> FindTopWindows(const WindowFilter& filter) {
  WindowSearch search{&filter, {}};
  // A thread's own list is shorter to walk; both list only top-level windows.
  if (filter.threadId) {
    ::EnumThreadWindows(*filter.threadId, CollectTopWindow, reinterpret_cast<LPARAM>(&search));
  } else {
    ::EnumWindows(CollectTopWindow, reinterpret_cast<LPARAM>(&search));
  }
  return search.found;
}

HWND WaitForTopWindow(const WindowFilter& filter, DWORD timeoutMs) {
  for (DWORD waited = 0;; waited += 20) {
    const std::vector<HWND> found = FindTopWindows(filter);
    if (!found.empty()) return found.front();
    if (waited >= timeoutMs) return nullptr;
    ::Sleep(20);
  }
}

std::wstring TestProgramFolder() {
  wchar_t path[MAX_PATH] = {};
  ::GetModuleFileNameW(nullptr, path, MAX_PATH);
  return FolderOfPath(path);
}

std::wstring BuiltSetupExe() { return TestProgramFolder() + L"\\Setup.exe"; }

bool StartProcess(const std::wstring& program, std::wstring commandLine, const std::wstring& folder,
                  UniqueProcessInformation* started, std::wstring* error) {
  const std::wstring in = folder.empty() ? FolderOfPath(program) : folder;
  STARTUPINFOW startup = {};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION information = {};
  DWORD failure = ERROR_SUCCESS;
  for (int attempt = 0; attempt < 5; ++attempt) {
    if (::CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                         in.empty() ? nullptr : in.c_str(), &startup, &information)) {
      started->Adopt(information);
      return true;
    }
    failure = ::GetLastError();
    if (failure != ERROR_INTERNAL_ERROR) break;
    ::Sleep(200);
  }
  if (error) *error = L"CreateProcess failed with " + std::to_wstring(failure);
  return false;
}

bool SetupProcess::Start(const std::wstring& program, const std::wstring& arguments, std::wstring* error,
                         const std::wstring& workingFolder) {
  std::wstring commandLine = L"\"" + program + L"\"";
  if (!arguments.empty()) commandLine += L" " + arguments;
  return StartProcess(program, std::move(commandLine), workingFolder, &process_, error);
}

bool SetupProcess::AttachToRunning(const std::wstring& program, DWORD timeoutMs) {
  DWORD processId = 0;
  if (!WaitUntil([&] { return (processId = FindProcessOf(program)) != 0; }, timeoutMs)) return false;
  process_.process.reset(::OpenProcess(PROCESS_ALL_ACCESS, FALSE, processId));
  process_.thread.reset();
  process_.processId = processId;
  mainDialog_ = nullptr;
  return static_cast<bool>(process_.process);
}

std::wstring SetupProcess::CommandLine() const {
  // Read from the process's own parameter block, which works under Wine too.
  using QueryFunction = NTSTATUS(NTAPI*)(HANDLE, PROCESSINFOCLASS, PVOID, ULONG, PULONG);
  const auto query = reinterpret_cast<QueryFunction>(
      reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "NtQueryInformationProcess")));
  HANDLE process = process_.process.get();
  PROCESS_BASIC_INFORMATION basic = {};
  if (query == nullptr || query(process, ProcessBasicInformation, &basic, sizeof(basic), nullptr) != 0) return {};
  PEB peb = {};
  RTL_USER_PROCESS_PARAMETERS parameters = {};
  if (!::ReadProcessMemory(process, basic.PebBaseAddress, &peb, sizeof(peb), nullptr) ||
      !::ReadProcessMemory(process, peb.ProcessParameters, &parameters, sizeof(parameters), nullptr)) {
    return {};
  }
  std::wstring text(parameters.CommandLine.Length / sizeof(wchar_t), L'\0');
  if (!::ReadProcessMemory(process, parameters.CommandLine.Buffer, text.data(), parameters.CommandLine.Length,
                           nullptr)) {
    return {};
  }
  return text;
}

SetupProcess::~SetupProcess() {
  if (process_.process && !WaitForExit(0)) Kill();
}

HWND SetupProcess::WaitForMainDialog(DWORD timeoutMs) {
  mainDialog_ = WaitForTopWindow(DialogsOfProcess(process_.processId), timeoutMs);
  return mainDialog_;
}

bool SetupProcess::StartToMainDialog(const std::wstring& program, const std::wstring& arguments, std::wstring* error,
                                     DWORD timeoutMs) {
  if (!Start(program, arguments, error)) return false;
  if (WaitForMainDialog(timeoutMs) != nullptr) return true;
  if (error) *error = L"no main dialog within " + std::to_wstring(timeoutMs) + L" ms";
  return false;
}

std::optional<DWORD> SetupProcess::CloseMainDialog(DWORD timeoutMs) const {
  PostToDialog(WM_CLOSE);
  return WaitForExit(timeoutMs);
}

std::wstring SetupProcess::ControlText(int id) const { return WindowTextOf(::GetDlgItem(mainDialog_, id)); }

RECT SetupProcess::ControlRect(int id) const {
  RECT rect{};
  ::GetWindowRect(::GetDlgItem(mainDialog_, id), &rect);
  ::MapWindowPoints(nullptr, mainDialog_, reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

SIZE SetupProcess::ClientSize() const {
  RECT client{};
  ::GetClientRect(mainDialog_, &client);
  return SIZE{client.right, client.bottom};
}

int SetupProcess::WindowHeight() const {
  RECT outer{};
  ::GetWindowRect(mainDialog_, &outer);
  return outer.bottom - outer.top;
}

bool SetupProcess::IsControlVisible(int id) const { return ::IsWindowVisible(::GetDlgItem(mainDialog_, id)) != FALSE; }

bool SetupProcess::IsControlEnabled(int id) const { return ::IsWindowEnabled(::GetDlgItem(mainDialog_, id)) != FALSE; }

void SetupProcess::Click(int id) const { ::PostMessageW(::GetDlgItem(mainDialog_, id), BM_CLICK, 0, 0); }

void SetupProcess::PressKey(int controlId, WPARAM key) const {
  HWND control = ::GetDlgItem(mainDialog_, controlId);
  ::PostMessageW(control, WM_KEYDOWN, key, 1);
  ::PostMessageW(control, WM_KEYUP, key, 0xC0000001);
}

namespace {

HWND FocusOfThread(HWND window) {
  GUITHREADINFO info = {};
  info.cbSize = sizeof(info);
  if (!::GetGUIThreadInfo(::GetWindowThreadProcessId(window, nullptr), &info)) return nullptr;
  return info.hwndFocus;
}

}  // namespace

void SetupProcess::PressKey(WPARAM key) const {
  HWND focus = FocusOfThread(mainDialog_);
  HWND target = focus != nullptr ? focus : mainDialog_;
  ::PostMessageW(target, WM_KEYDOWN, key, 1);
  ::PostMessageW(target, WM_KEYUP, key, 0xC0000001);
}

void SetupProcess::PressAccessKey(wchar_t letter) const {
  HWND focus = FocusOfThread(mainDialog_);
  // Bit 29: Alt is held.
  ::PostMessageW(focus != nullptr ? focus : mainDialog_, WM_SYSCHAR, letter, 0x20000001);
}

int SetupProcess::FocusedControlId() const {
  HWND focus = FocusOfThread(mainDialog_);
  return focus != nullptr && ::GetParent(focus) == mainDialog_ ? ::GetDlgCtrlID(focus) : 0;
}

void SetupProcess::PostToDialog(UINT message, WPARAM wParam, LPARAM lParam) const {
  ::PostMessageW(mainDialog_, message, wParam, lParam);
}

std::optional<MessageBoxView> SetupProcess::WaitForMessageBox(DWORD timeoutMs) const {
  HWND window = WaitForTopWindow(DialogsOfProcess(process_.processId, mainDialog_), timeoutMs);
  if (window == nullptr) return std::nullopt;
  MessageBoxView box;
  box.window = window;
  box.caption = WindowTextOf(window);
  ::EnumChildWindows(window, CollectChild, reinterpret_cast<LPARAM>(&box));
  return box;
}

void SetupProcess::Answer(const MessageBoxView& box, int buttonId) const {
  ::PostMessageW(box.window, WM_COMMAND, MAKEWPARAM(buttonId, BN_CLICKED), 0);
}

// The button drawn as the default one (what Enter presses).
int SetupProcess::DefaultButton(const MessageBoxView& box) const {
  for (HWND child = ::GetWindow(box.window, GW_CHILD); child != nullptr; child = ::GetWindow(child, GW_HWNDNEXT)) {
    wchar_t className[16] = {};
    ::GetClassNameW(child, className, 16);
    const LONG style = ::GetWindowLongW(child, GWL_STYLE);
    if (_wcsicmp(className, L"Button") == 0 && (style & BS_TYPEMASK) == BS_DEFPUSHBUTTON) {
      return ::GetDlgCtrlID(child);
    }
  }
  return 0;
}

std::optional<DWORD> SetupProcess::WaitForExit(DWORD timeoutMs) const {
  if (::WaitForSingleObject(process_.process.get(), timeoutMs) != WAIT_OBJECT_0) return std::nullopt;
  DWORD exitCode = 0;
  ::GetExitCodeProcess(process_.process.get(), &exitCode);
  return exitCode;
}

std::optional<DWORD> SetupProcess::WaitForExitWatchingWindows(DWORD timeoutMs, bool* windowShown) const {
  std::optional<DWORD> exitCode;
  for (DWORD waited = 0; waited < timeoutMs && !exitCode; waited += 20) {
    *windowShown = *windowShown || !FindTopWindows(WindowsOfProcess(processId())).empty();
    exitCode = WaitForExit(20);
  }
  return exitCode;
}

void SetupProcess::Kill() const {
  ::TerminateProcess(process_.process.get(), 255);
  ::WaitForSingleObject(process_.process.get(), 10000);
}
