#include "support/proxy_settings.h"

#include <windows.h>

#include <cstdint>

namespace {

constexpr wchar_t kConnections[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings\\Connections";

}  // namespace

ProxySettings::ProxySettings(ProxyWay way, const std::string& address) {
  // The layout the system keeps them in: version, counter, flags (direct, and
  // a named proxy or a script), then the proxy, the bypass list and the
  // script's address, each as a length and its bytes.
  std::string blob;
  auto number = [&blob](std::uint32_t value) { blob.append(reinterpret_cast<const char*>(&value), 4); };
  auto text = [&](const std::string& value) {
    number(static_cast<std::uint32_t>(value.size()));
    blob += value;
  };
  number(0x46);
  number(1);
  const bool script = way == ProxyWay::Script;
  number(script ? 0x05 : 0x03);
  text(script ? "" : address);
  text("");
  text(script ? address : "");
  blob.append(32, '\0');
  made_ = ::RegSetKeyValueW(HKEY_CURRENT_USER, kConnections, L"DefaultConnectionSettings", REG_BINARY, blob.data(),
                            static_cast<DWORD>(blob.size())) == ERROR_SUCCESS;
}

ProxySettings::~ProxySettings() { ::RegDeleteKeyValueW(HKEY_CURRENT_USER, kConnections, L"DefaultConnectionSettings"); }
