// The user's Internet settings naming a way through a proxy, as company
// networks do; dropped again at the end.
#pragma once

#include <string>

enum class ProxyWay {
  Script,  // an automatic configuration script at the address
  Named,   // a proxy named as "host:port"
};

class ProxySettings {
 public:
  ProxySettings(ProxyWay way, const std::string& address);
  ~ProxySettings();
  ProxySettings(const ProxySettings&) = delete;
  ProxySettings& operator=(const ProxySettings&) = delete;
  bool made() const { return made_; }

 private:
  bool made_ = false;
};
