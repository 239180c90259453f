#include "core/model_error.h"

#include <utility>

namespace vorl {

MODELERROR::MODELERROR(int code, const char* tag, std::string message)
    : code_(code), tag_(tag != nullptr ? tag : ""), message_(std::move(message)) {}

MODELERROR::~MODELERROR() = default;

std::string MODELERROR::eGetErrorString() const {
  std::string line = product_;
  if (!line.empty()) line += ' ';
  line += std::to_string(code_);
  if (!tag_.empty()) line += ' ' + tag_;
  line += ": ";
  line += message_.empty() ? defaultMessageForCode(code_) : message_;
  return line;
}

const char* defaultMessageForCode(int code) noexcept {
  if (code >= 301 && code <= 343) return "an input is outside its allowed range";
  if (code >= 350 && code <= 391) return "an input is outside its valid range";
  switch (code) {
    case 1: return "internal failure";
    case 2: return "no model: the handle is null";
    case 3: return "no results: the model has not been run";
    case 4: return "record index outside the stored flow sequence";
    case 5: return "required model data is missing";
    case 7: return "branch number is neither 1 (A) nor 2 (B)";
    case 13: return "a value is zero, not positive or not a number where the relation needs it";
    case 14: return "a square root of a negative value or of a value that is not a number";
    case 15: return "the material is not in the property library";
    case 16: return "the run reached its safety bound of steps";
    case 201: return "the breach flux with inflow has no real solution";
    case 202: return "breach location outside the pipe";
    case 204: return "steady far-end pressure above the upstream pressure";
    case 205: return "the friction loss exceeds the available pressure";
    case 206: return "the steady flow does not reach the far end above ambient pressure";
    case 207: return "the steady inflow would be choked at the far end";
    case 208: return "the exit pressure is not below the pressure before the breach";
    case 209: return "the choked closed-end solve found no root";
    case 1001: return "warning: breach location clamped to the pipe";
    case 1002: return "warning: upstream pressure above the saturation pressure at the gas temperature";
    case 1003: return "far-end pressure below ambient pressure in the outflow-decay phase";
    case 1004: return "warning: orifice velocity above the maximum velocity of the expansion";
    default: return "error";
  }
}

}  // namespace vorl
