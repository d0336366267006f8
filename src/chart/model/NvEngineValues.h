#pragma once
// Value lists: one dimension of a series' points (X, Y or an extra list of a series type) as a
// named, growable array of doubles with an optional sort order that places every added value and
// lazily recomputed statistics (largest, smallest, sum, sum of absolute values).
//
// The array grows in steps of 1000 values and shrinks only when the list is cleared. A series
// keeps all its lists parallel: an insertion or deletion at one index is done on every list by
// the series. Index errors raise ChartException with the message-table texts; nothing changes.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "chart/model/NvEngineTypes.h"
#include "platform/Classes.h"

// Texts of the value-list checks.
extern const char* const NuvMsg_ListIndexOutOfBounds;       // "List index out of bounds (%d)"
extern const char* const NuvMsg_DeleteQuantityPositive;     // "Quantity of data points to delete must be greater than zero."
extern const char* const NuvMsg_DeleteQuantityBelowCount;   // "Quantity of data to delete must be less than Count."
extern const char* const NuvMsg_ValueListCountNegative;     // "ValueList Count must be greater than zero."
extern const char* const NuvMsg_MultiplierObsolete;         // the obsolete "Multiplier" property's message

// Values are added in blocks of this many.
constexpr int32_t ValueListCapacityStep = 1000;

class TChartValueList : public TPersistent {
public:
  // Appends itself to Series' value lists (which own it), then clears its values.
  // Series may be nullptr for a stand-alone list (then nobody owns it).
  TChartValueList(TChartSeries* series, const std::string& name);
  ~TChartValueList() override;
  TChartValueList(const TChartValueList&) = delete;
  TChartValueList& operator=(const TChartValueList&) = delete;

  // ---- Virtual operations ----
  // Adds the read-only "Multiplier" property of old streams.
  virtual void DefineProperties(TFiler* filer);
  // From another value list: Order, DateTime and ValueSource (not the values).
  void Assign(const TPersistent* source) override;
  // TempValue := value, then ordered insertion; returns the index where the value went.
  virtual int32_t AddChartValue(double value);
  virtual void ClearValues();
  // Inserts value at valueIndex (0..Count); ChartException for an index outside.
  virtual void InsertChartValue(int32_t valueIndex, double value);
  // Removes the value at valueIndex; ChartException "List index out of bounds (%d)" for an index
  // outside 0..Count-1.
  virtual void Delete(int32_t valueIndex);

  // Ordered insertion of TempValue (the series' point addition stages the value first).
  int32_t AddChartValue() { return AddChartValue(TempValue); }

  // Removes quantity values from start. A quantity below 1 or a range reaching past Count raises
  // ChartException; nothing is deleted.
  void DeleteRange(int32_t start, int32_t quantity);

  // ---- Count and values ----
  int32_t Count() const;
  void SetCount(int32_t value);
  // Length of the array (the capacity).
  int32_t Capacity() const { return static_cast<int32_t>(value_.size()); }
  // The value at index; ERangeError for an index outside the array.
  double Value(int32_t index) const;
  void SetValue(int32_t index, double value);
  double operator[](int32_t index) const { return Value(index); }
  double First() const { return Value(0); }
  double Last() const { return Value(Count() - 1); }
  // The array itself (length = capacity); changing it through here needs Modified().
  std::vector<double>& ValueArray() { return value_; }
  const std::vector<double>& ValueArray() const { return value_; }
  // Marks the statistics stale.
  void Modified() { StatsDirty = true; }

  // ---- Statistics (recomputed when stale) ----
  double MaxValue() const;
  double MinValue() const;
  double Total() const;
  double TotalABS() const;
  double Range() const;
  void RecalcStats() const;

  // ---- Search and reorder ----
  int32_t Locate(double value) const { return LocateInRange(value, 0, Count() - 1); }
  // First index in first..last whose value equals value exactly; -1 when none or last < first.
  int32_t LocateInRange(double value, int32_t first, int32_t last) const;
  // Swaps two values; ChartException "List index out of bounds (%d)" names the first bad index.
  void Exchange(int32_t index1, int32_t index2);
  // Value i := i for every value.
  void FillSequence();
  // Sorts the owner's points by this list (all lists, colours and labels move together).
  void Sort();
  // Moves the first value to the end.
  void Scroll();

  // ---- Properties ----
  bool GetDateTime() const { return dateTime_; }
  // Through the owner's SetBooleanProperty (repaints when changed).
  void SetDateTime(bool value);
  // Sets DateTime and DefaultDateTime together (so that the flag is not stored).
  void InitDateTime(bool value);
  bool IsDateTimeStored() const { return dateTime_ != DefaultDateTime; }
  const std::string& GetName() const { return name_; }
  void SetName(const std::string& value) { name_ = value; }
  TChartListOrder GetOrder() const { return order_; }
  void SetOrder(TChartListOrder value) { order_ = value; }
  TChartSeries* Owner() const { return owner_; }
  const std::string& GetValueSource() const { return valueSource_; }
  // When changed: stores it, then the owner's CheckDataSource.
  void SetValueSource(const std::string& value);

  double TempValue = 0;
  bool DefaultDateTime = false;
  mutable bool StatsDirty = true;

  // Old streams: a "Multiplier" other than 1 shows the obsolete-property message; the value is
  // otherwise ignored.
  void ReadMultiplier(double value);

private:
  void Grow(int32_t needed);

  bool dateTime_ = false;
  mutable double maxValue_ = 0, minValue_ = 0, total_ = 0, totalABS_ = 0;
  std::string name_;
  TChartListOrder order_ = loNone;
  TChartSeries* owner_;
  std::string valueSource_;
  mutable int32_t count_ = 0;
  std::vector<double> value_;
};

// The value lists of one series, in order: X values, Y values, then the extra lists. Owns them.
class TChartValueLists {
public:
  TChartValueLists() = default;
  ~TChartValueLists();
  TChartValueLists(const TChartValueLists&) = delete;
  TChartValueLists& operator=(const TChartValueLists&) = delete;

  int32_t Count() const { return static_cast<int32_t>(items_.size()); }
  // The list at index (0 = X, 1 = Y, ...); ERangeError outside.
  TChartValueList* GetValueList(int32_t index) const;
  TChartValueList* operator[](int32_t index) const { return GetValueList(index); }
  // Takes ownership (value lists append themselves on creation).
  void Add(TChartValueList* list);
  int32_t IndexOf(const TChartValueList* list) const;
  // Frees every value list, then empties itself.
  void Clear();

private:
  std::vector<std::unique_ptr<TChartValueList>> items_;
};
