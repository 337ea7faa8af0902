#pragma once
#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace Content {

// The files of one generated program folder, held in memory until written, so
// that every module can add to shared files (the resource lists) and the whole
// folder is written in one deterministic order.
//
// Paths are relative to the program folder, with backslashes
// ("data\\ui\\windows\\window_main_menu.xml"); a forward slash is taken as a
// backslash. Adding a path twice replaces its bytes.
class ContentSet {
public:
    void Add(const std::string& path, std::vector<uint8_t> bytes);
    void AddText(const std::string& path, const std::string& text);
    bool Has(const std::string& path) const;
    // Forgets a file (tests that make content without one); nothing when absent.
    void Remove(const std::string& path);
    // Null when the path was not added.
    const std::vector<uint8_t>* Find(const std::string& path) const;
    // Every path added, in the order they are written.
    std::vector<std::string> Paths() const;

    // A file that must stay a loose file even when the rest goes into the
    // pack (the program reads it before any pack is open).
    void MarkLoose(const std::string& path);

    // Resource lists: lines of XML elements (one <model>, <shader>,
    // <particles> ... each) collected by any module and written as
    // <resources> ... </resources> at the given path when the set is
    // written. Asking for a list creates it, so an empty list is still a file.
    void AddResource(const std::string& listPath, const std::string& elementXml);
    std::vector<std::string>& ResourceList(const std::string& listPath);

    // A resource list as it is written: its entries, one a line, inside
    // <resources>; empty for a path that is no list.
    std::string ResourceListText(const std::string& listPath) const;

    // Writes everything under programFolder. Unless allLoose, every file but
    // the loose ones goes into one pack, "data\\pelloria.pak", whose entry
    // names are relative to the data folder. False with a reason in error.
    bool Write(const std::string& programFolder, bool allLoose, std::string* error) const;

    static std::string Normalise(const std::string& path);

private:
    std::map<std::string, std::vector<uint8_t>> files_;
    std::map<std::string, std::vector<std::string>> resources_;
    std::vector<std::string> loose_;
};

} // namespace Content
