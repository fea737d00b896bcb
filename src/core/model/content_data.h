#pragma once

#include <string>

namespace zendra {

// One set of content metadata: once for the whole table and, when the table has a
// content variable, once per value of that variable (keyed by the value's text).
class ContentData {
 public:
  std::string Units;        // UNITS; the only one a complete table must have
  std::string CFPrices;     // CFPRICES: current or fixed prices
  std::string StockFA;      // STOCKFA: stock, flow or average
  std::string Contact;      // CONTACT: may span lines (CR LF in memory)
  std::string Baseperiod;   // BASEPERIOD
  std::string Refperiod;    // REFPERIOD
  std::string SeasAdj;      // SEASADJ: "YES"/"NO" text, written unquoted
  std::string DayAdj;       // DAYADJ: "YES"/"NO" text, written unquoted
  std::string LastUpdated;  // LAST-UPDATED

  // Copies all nine properties of source into this set.
  void makecopy(const ContentData& source) { *this = source; }

  bool operator==(const ContentData&) const = default;
};

}  // namespace zendra
