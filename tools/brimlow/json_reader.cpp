#include "json_reader.h"

#include <utility>

#include "text.h"

namespace brimlow {
namespace {

using nlohmann::json;

// nlohmann's code for a number that overflows a double while parsing.
constexpr int kNumberOverflowError = 406;

// Builds the document from the parser's events (its SAX interface), as its
// own builder does, and keeps the path of every value for the messages.
class BoundedBuilder {
 public:
  BoundedBuilder(json& root, std::vector<std::string>& problems) : root_(root), problems_(problems) {}

  bool null() { return add(nullptr); }
  bool boolean(bool value) { return add(value); }
  bool number_integer(json::number_integer_t value) { return add(value); }
  bool number_unsigned(json::number_unsigned_t value) { return add(value); }
  bool number_float(json::number_float_t value, const std::string& /*text*/) { return add(value); }
  bool string(std::string& value) { return add(std::move(value)); }
  bool binary(json::binary_t& value) { return add(std::move(value)); }

  bool start_object(std::size_t /*size*/) { return open(json::object()); }
  bool start_array(std::size_t /*size*/) { return open(json::array()); }
  bool end_object() { return close(); }
  bool end_array() { return close(); }

  bool key(std::string& name) {
    Open& object = open_.back();
    if (object.value->contains(name)) {
      problems_.push_back(pathOf(object, shownText(name)) + ": the key is given twice");
    }
    object.key = name;
    return true;
  }

  bool parse_error(std::size_t /*position*/, const std::string& token, const nlohmann::detail::exception& error) {
    if (error.id == kNumberOverflowError) {
      problems_.push_back(nextPath() + ": the number " + shownText(token) +
                          " is beyond the range of a double (about 1.8e308)");
      return false;
    }
    // "[json.exception.parse_error.101] parse error at line 3, column 5: ..."
    const std::string message = error.what();
    const std::size_t start = message.find("parse error");
    problems_.push_back("not valid JSON: " + (start == std::string::npos ? message : message.substr(start)));
    return false;
  }

 private:
  struct Open {
    json* value;
    std::string path;  // "" for the document itself
    std::string key;   // of an object: the key whose value comes next
  };

  static std::string pathOf(const Open& container, const std::string& key) {
    return container.path.empty() ? key : container.path + "." + key;
  }

  // Where the next value goes: "aperture", "valves[1]", "valves[1].position_m".
  std::string nextPath() const {
    if (open_.empty()) return "the document";
    const Open& container = open_.back();
    if (container.value->is_object()) return pathOf(container, shownText(container.key));
    return container.path + "[" + std::to_string(container.value->size()) + "]";
  }

  json* place(json&& value) {
    if (open_.empty()) {
      root_ = std::move(value);
      return &root_;
    }
    Open& container = open_.back();
    if (container.value->is_object()) {
      json& slot = (*container.value)[container.key];
      slot = std::move(value);  // a key given twice keeps its last value (reported above)
      return &slot;
    }
    container.value->push_back(std::move(value));
    return &container.value->back();
  }

  template <typename Value>
  bool add(Value&& value) {
    place(json(std::forward<Value>(value)));
    return true;
  }

  bool open(json&& empty) {
    const std::string path = nextPath();
    if (open_.size() >= kJsonMaxDepth) {
      // Named by the key of the case under which it is (the whole path would
      // be as deep as the nesting).
      const bool underKey = open_.front().value->is_object();
      problems_.push_back((underKey ? open_[1].path : "the document") + ": nested deeper than " +
                          std::to_string(kJsonMaxDepth) + " levels");
      return false;
    }
    json* value = place(std::move(empty));
    open_.push_back(Open{value, open_.empty() ? std::string() : path, {}});
    return true;
  }

  bool close() {
    open_.pop_back();
    return true;
  }

  json& root_;
  std::vector<std::string>& problems_;
  std::vector<Open> open_;
};

}  // namespace

bool readJson(const std::string& text, json& document, std::vector<std::string>& problems) {
  document = json();
  BoundedBuilder builder(document, problems);
  return json::sax_parse(text, &builder, json::input_format_t::json, /*strict=*/true, /*ignore_comments=*/true);
}

}  // namespace brimlow
