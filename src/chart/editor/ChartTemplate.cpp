#include "chart/editor/ChartTemplate.h"

#include <fstream>
#include <variant>

#include "chart/model/ChartRegistry.h"
#include "chart/model/NvEngineAxis.h"
#include "chart/model/NvEngineAxisPanel.h"
#include "chart/model/NvEngineStream.h"

TSeriesSaveDataScope::TSeriesSaveDataScope(TCustomAxisPanel* chart, bool includeData) : chart_(chart)
{
  if (!chart_) return;
  for (int32_t i = 0; i < chart_->SeriesCount(); ++i) {
    TChartSeries* s = chart_->GetSeries(i);
    s->ForceSaveData = includeData;
    s->DontSaveData = !includeData;
  }
}

TSeriesSaveDataScope::~TSeriesSaveDataScope()
{
  if (!chart_) return;
  for (int32_t i = 0; i < chart_->SeriesCount(); ++i) {
    TChartSeries* s = chart_->GetSeries(i);
    s->ForceSaveData = false;
    s->DontSaveData = false;
  }
}

namespace {
std::string ValueText(const TStreamValue& v)
{
  static const char* hex = "0123456789ABCDEF";
  struct Visitor {
    std::string operator()(bool b) const { return b ? "1" : "0"; }
    std::string operator()(int64_t i) const { return std::to_string(i); }
    std::string operator()(double d) const { return FloatToStrGeneral(d); }
    std::string operator()(const std::string& s) const { return s; }
    std::string operator()(const std::vector<std::string>& list) const
    {
      std::string out;
      for (size_t i = 0; i < list.size(); ++i) out += (i ? "," : "") + list[i];
      return out;
    }
    std::string operator()(const std::vector<uint8_t>& bytes) const
    {
      std::string out;
      out.reserve(bytes.size() * 2);
      for (uint8_t b : bytes) {
        out += hex[b >> 4];
        out += hex[b & 15];
      }
      return out;
    }
  };
  return std::visit(Visitor{}, v);
}
}  // namespace

void SaveChartTemplate(TCustomAxisPanel* chart, std::ostream& out, bool includeData)
{
  if (!chart) return;
  TSeriesSaveDataScope scope(chart, includeData);
  for (int32_t i = 0; i < chart->SeriesCount(); ++i) {
    TChartSeries* s = chart->GetSeries(i);
    const std::string settings = SeriesSettingsTextWriter ? SeriesSettingsTextWriter(s) : std::string();
    out << "[Series]\r\n";
    out << "Name=" << s->GetName() << "\r\n";
    out << "Type=" << GetGallerySeriesName(s) << "\r\n";
    out << "Settings=" << settings << "\r\n";
    TPropertyWriter writer;
    s->DefineProperties(&writer);
    DefineSeriesDataProperty(s, &writer);
    for (const auto& [name, value] : writer.Values()) out << "Property." << name << "=" << ValueText(value) << "\r\n";
  }
}

void SaveChartTemplateToFile(TCustomAxisPanel* chart, const std::string& fileName, bool includeData)
{
  std::ofstream out(fileName, std::ios::binary);
  if (!out) throw EInOutError("Cannot create file \"" + fileName + "\"");
  SaveChartTemplate(chart, out, includeData);
  out.flush();
  if (!out) throw EInOutError("Cannot write file \"" + fileName + "\"");
}
