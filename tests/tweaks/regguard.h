// Registry values a test changes outside the product key, put back (or removed) when it goes.
#pragma once
#include <windows.h>
#include <string>
#include <vector>

class RegValueGuard {
 public:
  struct Item {
    HKEY root;
    std::wstring key, name;
    bool nameless;
  };
  explicit RegValueGuard(std::vector<Item> items) {
    for (const Item &i : items) saved_.push_back({i, Read(i)});
  }
  ~RegValueGuard() {
    for (auto it = saved_.rbegin(); it != saved_.rend(); ++it) Restore(it->item, it->value);
  }
  struct Value {
    bool present = false;
    DWORD type = 0;
    std::vector<BYTE> data;
  };
  static Value Read(const Item &i) {
    Value v;
    HKEY k;
    if (RegOpenKeyExW(i.root, i.key.c_str(), 0, KEY_READ, &k) != ERROR_SUCCESS) return v;
    DWORD size = 0;
    LPCWSTR name = i.nameless ? NULL : i.name.c_str();
    if (RegQueryValueExW(k, name, NULL, &v.type, NULL, &size) == ERROR_SUCCESS) {
      v.data.resize(size);
      v.present = RegQueryValueExW(k, name, NULL, &v.type, v.data.data(), &size) == ERROR_SUCCESS;
    }
    RegCloseKey(k);
    return v;
  }
  static void Restore(const Item &i, const Value &v) {
    HKEY k;
    LPCWSTR name = i.nameless ? NULL : i.name.c_str();
    if (!v.present) {
      if (RegOpenKeyExW(i.root, i.key.c_str(), 0, KEY_SET_VALUE, &k) != ERROR_SUCCESS) return;
      RegDeleteValueW(k, name);
    } else {
      if (RegCreateKeyExW(i.root, i.key.c_str(), 0, NULL, 0, KEY_ALL_ACCESS, NULL, &k, NULL) != ERROR_SUCCESS) return;
      RegSetValueExW(k, name, 0, v.type, v.data.data(), (DWORD)v.data.size());
    }
    RegCloseKey(k);
  }

 private:
  struct Saved {
    Item item;
    Value value;
  };
  std::vector<Saved> saved_;
};
