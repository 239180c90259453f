#pragma once

namespace vorl {

// An ideal gas by its molecular weight.
class IG {
 public:
  explicit IG(double molecularWeight);  // kg/kmol; raises 13 "IGCTOR" unless > 0

  double molecularWeight() const noexcept { return molecularWeight_; }
  double universalGasConstant() const noexcept { return universalGasConstant_; }
  double gasConstant() const noexcept { return gasConstant_; }  // J/(kg K)

 private:
  double molecularWeight_;
  double universalGasConstant_;
  double gasConstant_;
};

// The same gas held at one fixed temperature: the pipe flow is isothermal.
class IIG : public IG {
 public:
  IIG(double molecularWeight, double temperature);

  double temperature() const noexcept { return temperature_; }
  void temperatureSet(double temperature) noexcept { temperature_ = temperature; }
  // Isothermal sound speed squared, R T (m2/s2).
  double a2() const noexcept { return gasConstant() * temperature_; }
  // Specific volume at pressure p (m3/kg); raises 13 "IIGv_p" when p is 0.
  double v_p(double p) const;

 private:
  double temperature_;
};

}  // namespace vorl
