#include "core/database/code_list.h"

#include "core/model/dimension_data.h"

namespace zendra {

std::string codeListQuery(const std::string& table, const std::string& codeField,
                          const std::string& valueField) {
  const std::string codes = codeField.empty() ? std::string(" 1") : bracketName(codeField);
  return "SELECT " + codes + "," + bracketName(valueField) + " from " + bracketName(table);
}

std::string codeListQuery(const clsAnyDatabase& db, const std::string& table,
                          const std::string& codeField, const std::string& valueField) {
  if (db.Kind() != DatabaseKind::ODBC) return codeListQuery(table, codeField, valueField);
  // On a server the values are usually read from the big table the cells come from:
  // the server hands over each pair once, in order.
  const std::string codes = codeField.empty() ? std::string(" 1") : db.QuoteName(codeField);
  const std::string value = db.QuoteName(valueField);
  return "SELECT DISTINCT " + codes + "," + value + " from " + db.QuoteSource(table) +
         " ORDER BY " + (codeField.empty() ? value : codes + "," + value);
}

DbResult readCodeList(clsAnyDatabase& db, std::int32_t codeField, std::int32_t valueField,
                      DimensionData& variable) {
  const bool useCodes = codeField >= 0;
  // The values of an earlier reading go first, so that reading again never adds them twice.
  variable.ValueCode = VacCollection();
  variable.UseCodes = useCodes;
  const std::string sql = codeListQuery(db, db.TableName(),
                                        useCodes ? db.Fieldname(codeField) : "",
                                        db.Fieldname(valueField));
  const DbResult opened = db.OpenRecordSet(sql);
  if (!opened) return opened;
  for (; !db.AtEOF(); db.MoveNext()) {
    const ValueRef value = variable.addVal();
    if (useCodes) value->code = dbValueText(db.Field(0));
    value->value = dbValueText(db.Field(1));
  }
  const std::string error = db.RecordsetError();
  db.CloseRecordSet();
  if (!error.empty()) {
    // A list cut short would pass for the whole code table.
    variable.ValueCode = VacCollection();
    return DbResult::failure(error);
  }
  return DbResult::success();
}

}  // namespace zendra
