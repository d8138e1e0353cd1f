// Opening the store a --db address names: SQLite for sqlite:PATH, PostgreSQL for a postgresql:// address.
#include "server/store.h"

#include "server/store_impl.h"

namespace board {

std::unique_ptr<Store> OpenStore(const std::string& url, std::string* error) {
    if (url.rfind("sqlite:", 0) == 0) return OpenSqliteStore(url.substr(7), error);
    if (url.rfind("postgresql://", 0) == 0 || url.rfind("postgres://", 0) == 0) {
        return OpenPostgresStore(url, error);
    }
    *error = "the database must be sqlite:PATH or postgresql://...";
    return nullptr;
}

}  // namespace board
