#include "logger/archive/Sqlite.h"

Tdatabase::Tdatabase(const std::string& path, bool readOnly) {
    const int flags = readOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE;
    if (sqlite3_open_v2(path.c_str(), &db, flags | SQLITE_OPEN_NOMUTEX, nullptr) != SQLITE_OK) {
        const std::string message = error("cannot open");
        sqlite3_close(db);
        throw TsqliteError(message);
    }
    sqlite3_busy_timeout(db, 2000);
}

Tdatabase::~Tdatabase() {
    sqlite3_close_v2(db);
}

std::string Tdatabase::error(const std::string& what) const {
    return what + ": " + (db ? sqlite3_errmsg(db) : "out of memory");
}

void Tdatabase::exec(const std::string& sql) {
    if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr) != SQLITE_OK)
        throw TsqliteError(error("SQLite"));
}

std::int64_t Tdatabase::integer(const std::string& sql) {
    Tstatement query(*this, sql);
    return query.step() ? query.integer(0) : 0;
}

Tstatement::Tstatement(Tdatabase& db, const std::string& sql) : database(db) {
    if (sqlite3_prepare_v3(db.handle(), sql.c_str(), -1, SQLITE_PREPARE_PERSISTENT, &statement,
                           nullptr) != SQLITE_OK)
        throw TsqliteError(db.error("SQLite"));
}

Tstatement::~Tstatement() {
    sqlite3_finalize(statement);
}

Tstatement& Tstatement::bind(int index, std::int64_t value) {
    sqlite3_bind_int64(statement, index, value);
    return *this;
}

Tstatement& Tstatement::bind(int index, double value) {
    sqlite3_bind_double(statement, index, value);
    return *this;
}

Tstatement& Tstatement::bind(int index, std::optional<double> value) {
    if (value)
        sqlite3_bind_double(statement, index, *value);
    else
        sqlite3_bind_null(statement, index);
    return *this;
}

Tstatement& Tstatement::bind(int index, std::optional<std::int64_t> value) {
    if (value)
        sqlite3_bind_int64(statement, index, *value);
    else
        sqlite3_bind_null(statement, index);
    return *this;
}

bool Tstatement::step() {
    const int result = sqlite3_step(statement);
    if (result == SQLITE_ROW) return true;
    sqlite3_reset(statement);
    if (result != SQLITE_DONE) throw TsqliteError(database.error("SQLite"));
    return false;
}

void Tstatement::run() {
    while (step()) {
    }
}

void Tstatement::reset() {
    sqlite3_reset(statement);
}

bool Tstatement::isNull(int column) const {
    return sqlite3_column_type(statement, column) == SQLITE_NULL;
}

std::int64_t Tstatement::integer(int column) const {
    return sqlite3_column_int64(statement, column);
}

double Tstatement::real(int column) const {
    return sqlite3_column_double(statement, column);
}

std::optional<double> Tstatement::optionalReal(int column) const {
    if (isNull(column)) return std::nullopt;
    return real(column);
}

Ttransaction::Ttransaction(Tdatabase& db) : database(db) {
    database.exec("BEGIN IMMEDIATE");
}

Ttransaction::~Ttransaction() {
    if (!open) return;
    sqlite3_exec(database.handle(), "ROLLBACK", nullptr, nullptr, nullptr);
}

void Ttransaction::commit() {
    database.exec("COMMIT");
    open = false;
}

std::string Tstatement::text(int column) const {
    const unsigned char* value = sqlite3_column_text(statement, column);
    return value ? reinterpret_cast<const char*>(value) : "";
}
