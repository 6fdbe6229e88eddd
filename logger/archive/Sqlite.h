#pragma once

#include <sqlite3.h>

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>

// The failure of a database call, with SQLite's message.
struct TsqliteError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// One connection to a database file; closed with the object.
class Tdatabase {
public:
    // Opens `path` read-write (created when missing) or read-only; throws on failure.
    Tdatabase(const std::string& path, bool readOnly);
    ~Tdatabase();
    Tdatabase(const Tdatabase&) = delete;
    Tdatabase& operator=(const Tdatabase&) = delete;

    // Runs statements without results; throws on failure.
    void exec(const std::string& sql);
    // The first column of the first row of a query as an integer, 0 without a row.
    std::int64_t integer(const std::string& sql);
    // The connection's last error as one line, beginning with the call that failed.
    std::string error(const std::string& what) const;
    sqlite3* handle() const { return db; }

private:
    sqlite3* db = nullptr;
};

// A prepared statement, reset after each run; binds and reads by position (from 1 and 0).
class Tstatement {
public:
    Tstatement(Tdatabase& database, const std::string& sql);
    ~Tstatement();
    Tstatement(const Tstatement&) = delete;
    Tstatement& operator=(const Tstatement&) = delete;

    Tstatement& bind(int index, std::int64_t value);
    Tstatement& bind(int index, double value);
    Tstatement& bind(int index, std::optional<double> value);
    Tstatement& bind(int index, std::optional<std::int64_t> value);
    // Steps once: true while a row is there; throws on failure. `run` steps to the end.
    bool step();
    void run();
    // Unbinds nothing; makes the statement ready for its next run.
    void reset();
    bool isNull(int column) const;
    std::int64_t integer(int column) const;
    double real(int column) const;
    std::optional<double> optionalReal(int column) const;
    std::string text(int column) const;

private:
    Tdatabase& database;
    sqlite3_stmt* statement = nullptr;
};

// A transaction that is rolled back unless committed.
class Ttransaction {
public:
    explicit Ttransaction(Tdatabase& database);
    ~Ttransaction();
    Ttransaction(const Ttransaction&) = delete;
    Ttransaction& operator=(const Ttransaction&) = delete;
    void commit();

private:
    Tdatabase& database;
    bool open = true;
};
