// Number and date texts of axis labels.
#include "chart/model/NvEngineAxis.h"

std::string FormatFloat(const std::string&, double) { return std::string(); }
std::string FormatDateTime(const std::string&, double) { return std::string(); }
std::string FloatToStrGeneral(double) { return std::string(); }
bool AxisTextToFloat(const std::string&, double&) { return false; }
