#pragma once
// Read-only connections for queries, one per list of table files (the first
// as "main", the others attached as t1, t2...), kept for the session so that
// each query finds its page cache warm instead of opening the files anew. A
// pooled connection holds no transaction between events (a query's read
// pass ends when the program goes idle: sqlite::ReadPass), so a copy of a
// table file is still a consistent backup. A file replaced under the same name
// (another inode) gets a fresh connection. Each connection keeps the
// estimates of its first file's indexes (IndexEstimates), made again
// whenever that file changed.
#include "platform/tables/IndexEstimates.h"
#include "platform/tables/Sqlite.h"

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace platform {

struct PooledConnection {
    std::shared_ptr<sqlite::Connection> connection;
    std::shared_ptr<IndexEstimates> estimates;  // of the first file's indexes
};

class ConnectionPool {
public:
    // The connection for these files, opened (and the others attached) on
    // first use; raises naming `label` when a file cannot be opened.
    PooledConnection Get(const std::vector<std::string>& paths, const std::string& label);
    void Clear() { entries_.clear(); }

private:
    struct Entry {
        PooledConnection pooled;
        std::vector<std::pair<unsigned long long, unsigned long long>> identity;  // device, inode per file
    };
    std::map<std::string, Entry> entries_;
};

}  // namespace platform
