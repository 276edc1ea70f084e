// The settings store: one value per key in the users-data folder's Settings table.
#include "store/Usettings.h"

#include <functional>

#include "platform/Table.h"
#include "shell/ShellServices.h"
#include "schema/SchemaNames.h"

namespace {

// Opens the settings table of the users-data folder, in its own order (it has no index).
void OpenSettings(TTable& settings, bool writable) {
    settings.SetDatabaseName(ShellServices().UsersDataPath());
    settings.SetTableName(tbl::Settings);
    settings.SetReadOnly(!writable);
    settings.Open();
}

// Runs `read` on the key's row; does nothing when the key has no row.
void ReadSetting(const std::string& key, const std::function<void(TTable&)>& read) {
    TTable settings;
    OpenSettings(settings, false);
    if (settings.Locate(fld::PName, {key})) read(settings);
}

// Runs `write` on the key's row, made when there is none, and posts it.
void WriteSetting(const std::string& key, const std::function<void(TTable&)>& write) {
    TTable settings;
    OpenSettings(settings, true);
    if (settings.Locate(fld::PName, {key})) {
        settings.Edit();
    } else {
        settings.Append();
        settings.FieldByName(fld::PName).SetAsString(key);
    }
    write(settings);
    settings.Post();
}

}  // namespace

void SetSettingInt(const std::string& key, int value) {
    WriteSetting(key, [&](TTable& row) { row.FieldByName(fld::ValueInt).SetAsInteger(value); });
}

int GetSettingInt(const std::string& key, int defaultValue) {
    int value = defaultValue;
    ReadSetting(key, [&](TTable& row) { value = row.FieldByName(fld::ValueInt).AsInteger(); });
    return value;
}

void SetSettingStr(const std::string& key, const std::string& value) {
    WriteSetting(key, [&](TTable& row) { row.FieldByName(fld::ValueStr).SetAsString(value); });
}

std::string GetSettingStr(const std::string& key, const std::string& defaultValue) {
    std::string value = defaultValue;
    ReadSetting(key, [&](TTable& row) { value = row.FieldByName(fld::ValueStr).AsString(); });
    return value;
}

void SetSettingDate(const std::string& key, TDateTime value) {
    WriteSetting(key, [&](TTable& row) { row.FieldByName(fld::ValueDate).SetAsDateTime(value); });
}

TDateTime GetSettingDate(const std::string& key, TDateTime defaultValue) {
    TDateTime value = defaultValue;
    ReadSetting(key, [&](TTable& row) { value = row.FieldByName(fld::ValueDate).AsDateTime(); });
    return value;
}
