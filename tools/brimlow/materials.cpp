#include "materials.h"

#include <algorithm>

#include "library_text.h"
#include "text.h"
#include "vorl.h"

namespace brimlow {
namespace {

// The library's materials, read once.
std::vector<Material> libraryMaterials() {
  std::vector<Material> list;
  for (int i = 0; i < VorlMaterialCount(); ++i) {
    list.push_back({VorlMaterialNumber(i), libraryText(VorlMaterialName, i), libraryText(VorlMaterialCas, i),
                    libraryText(VorlMaterialAliases, i)});
  }
  return list;
}

// The other names of a material: "butane|C4H10" -> {"butane", "C4H10"}.
std::vector<std::string> splitAliases(const std::string& aliases) {
  std::vector<std::string> names;
  std::size_t start = 0;
  while (start < aliases.size()) {
    const std::size_t bar = std::min(aliases.find('|', start), aliases.size());
    if (bar > start) names.push_back(aliases.substr(start, bar - start));
    start = bar + 1;
  }
  return names;
}

}  // namespace

const std::vector<Material>& materials() {
  static const std::vector<Material> list = libraryMaterials();
  return list;
}

const Material* findMaterialByNumber(int number) {
  for (const Material& material : materials()) {
    if (material.number == number) return &material;
  }
  return nullptr;
}

const Material* findMaterial(const std::string& text) {
  // The library reads a C string: a text with a NUL in it names no material.
  if (text.find('\0') != std::string::npos) return nullptr;
  const int number = VorlMaterialFind(text.c_str());
  return number != 0 ? findMaterialByNumber(number) : nullptr;
}

std::string materialSuggestion(const std::string& text) {
  // A third of the word may be wrong, at least one letter and at most three,
  // so that "xyz" is not taken for "CO".
  const std::size_t mostEdits = std::max<std::size_t>(1, std::min<std::size_t>(3, text.size() / 3));
  std::vector<std::string> words;
  std::vector<const Material*> owners;
  for (const Material& material : materials()) {
    for (const std::string& word : splitAliases(material.aliases)) {
      words.push_back(word);
      owners.push_back(&material);
    }
    words.emplace_back(material.name);
    owners.push_back(&material);
    words.push_back(material.cas);
    owners.push_back(&material);
  }
  const std::string near = nearestWord(text, words, mostEdits);
  if (near.empty()) return "";
  const Material* owner = owners[static_cast<std::size_t>(std::find(words.begin(), words.end(), near) - words.begin())];
  return "'" + near + "'" + (near == owner->name ? "" : std::string(" (") + owner->name + ")");
}

}  // namespace brimlow
