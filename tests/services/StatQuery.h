// What the tests check in a statistics request: its query, key by key and in order.
#pragma once

#include <gtest/gtest.h>

#include <cctype>
#include <string>
#include <utility>
#include <vector>

namespace tn::testing {

using QueryPairs = std::vector<std::pair<std::string, std::string>>;

inline QueryPairs SplitQuery(const std::string& query) {
    QueryPairs out;
    std::size_t start = 0;
    for (;;) {
        const std::size_t amp = query.find('&', start);
        const std::string part =
            query.substr(start, amp == std::string::npos ? std::string::npos : amp - start);
        const std::size_t eq = part.find('=');
        out.emplace_back(part.substr(0, eq),
                         eq == std::string::npos ? std::string() : part.substr(eq + 1));
        if (amp == std::string::npos) return out;
        start = amp + 1;
    }
}

inline bool IsLowerHex(const std::string& s, std::size_t length) {
    if (s.size() != length) return false;
    for (const char c : s)
        if (!std::isdigit(static_cast<unsigned char>(c)) && !(c >= 'a' && c <= 'f')) return false;
    return true;
}

inline bool IsUpperHex(const std::string& s, std::size_t length) {
    if (s.size() != length) return false;
    for (const char c : s)
        if (!std::isdigit(static_cast<unsigned char>(c)) && !(c >= 'A' && c <= 'F')) return false;
    return true;
}

// The fields of one record that vary; the fixed ones are checked by ExpectStatQuery itself.
struct ExpectedRecord {
    ExpectedRecord(std::string ext1_, std::string userIp_, std::string guid_ = {},
                   std::string position_ = {})
        : ext1(std::move(ext1_)), guid(std::move(guid_)), userIp(std::move(userIp_)),
          position(std::move(position_)) {}
    std::string ext1;
    std::string ext2 = "client";
    std::string ext3;
    std::string guid; // empty: any 32 upper-case hex digits
    std::string netBar = "2";
    std::string userIp;
    std::string position; // empty: no position key
};

inline void ExpectStatQuery(const std::string& query, const ExpectedRecord& e) {
    const QueryPairs q = SplitQuery(query);
    std::vector<std::string> keys;
    for (const auto& kv : q)
        keys.push_back(kv.first);
    std::vector<std::string> wanted = {"item",  "platform", "game_id",     "ext_1",
                                       "ext_2", "ext_3",    "ext_4",       "ext_5",
                                       "ext_6", "user_ip",  "browser_type"};
    if (!e.position.empty()) wanted.push_back("position");
    ASSERT_EQ(keys, wanted) << query;
    EXPECT_EQ(q[0].second, "4702kqe3m8");
    EXPECT_EQ(q[1].second, "Varkel");
    EXPECT_EQ(q[2].second, "1016");
    EXPECT_EQ(q[3].second, e.ext1);
    EXPECT_EQ(q[4].second, e.ext2);
    EXPECT_EQ(q[5].second, e.ext3);
    if (e.guid.empty()) {
        EXPECT_TRUE(IsUpperHex(q[6].second, 32)) << q[6].second;
    } else {
        EXPECT_EQ(q[6].second, e.guid);
    }
    EXPECT_TRUE(IsLowerHex(q[7].second, 32)) << q[7].second;
    EXPECT_EQ(q[8].second, e.netBar);
    EXPECT_EQ(q[9].second, e.userIp);
    EXPECT_EQ(q[10].second, "1000");
    if (!e.position.empty()) {
        EXPECT_EQ(q[11].second, e.position);
    }
}

} // namespace tn::testing
