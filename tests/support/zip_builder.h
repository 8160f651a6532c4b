// ZIP archives made by tests: stored or raw-deflated entries, central
// directory last.
#pragma once

#include <cstdint>
#include <string>

class ZipBuilder {
 public:
  void Add(const std::string& name, const std::string& data, bool deflate);
  std::string Finish() const;

 private:
  std::string body_;
  std::string central_;
  std::uint32_t count_ = 0;
};
