// Seeded random CONFIG files, clocks and `set` requests for the property tests.
#pragma once

#include <cstdint>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "cli/set_request.h"
#include "config/calendar.h"
#include "dialog/opening_choices.h"

namespace lanternbook::testing {

inline int pick(std::mt19937& rng, int low, int high) { return std::uniform_int_distribution<int>(low, high)(rng); }

inline uint8_t pick_byte(std::mt19937& rng) { return static_cast<uint8_t>(pick(rng, 0, 255)); }

// A calendar day with its weekday, `days` after 1970-01-01.
inline SystemTime day_from_epoch(int64_t days) {
    SystemTime date;
    static_cast<void>(file_time_to_system_time(kUnixEpochFileTime + days * 86400 * kFileTimeUnitsPerSecond, date));
    return date;
}

inline int64_t epoch_day(const SystemTime& date) { return days_from_civil(date.year, date.month, date.day); }

// A clock reading between 2013 and 2035, mid-morning.
inline SystemTime random_now(std::mt19937& rng) {
    SystemTime now = day_from_epoch(pick(rng, 15706, 24106));
    now.hour = 10;
    now.minute = 30;
    return now;
}

// The lengths the decoder tells apart, each about as often; none for no CONFIG.
inline std::optional<std::size_t> random_length(std::mt19937& rng) {
    switch (pick(rng, 0, 11)) {
        case 0: return std::nullopt;
        case 1: return 0;
        case 2: return static_cast<std::size_t>(pick(rng, 1, 9));
        case 3: return static_cast<std::size_t>(pick(rng, 10, 15));
        case 4: return static_cast<std::size_t>(pick(rng, 16, 19));
        case 5: return static_cast<std::size_t>(pick(rng, 20, 23));
        case 6: return 24;
        case 7: return static_cast<std::size_t>(pick(rng, 25, 29));
        case 8: return static_cast<std::size_t>(pick(rng, 30, 31));
        case 9: return static_cast<std::size_t>(pick(rng, 33, 1024));
        case 10: return static_cast<std::size_t>(pick(rng, 1025, 3000));
        default: return 32;
    }
}

// Random bytes, or bytes such as a key writes with a random twist, cut to `length`.
inline std::vector<uint8_t> random_config(std::mt19937& rng, std::size_t length) {
    std::vector<uint8_t> bytes(std::max<std::size_t>(length, 32));
    for (uint8_t& byte : bytes) {
        byte = pick_byte(rng);
    }
    if (pick(rng, 0, 2) != 0) {
        const char modes[] = "0123456789:;<=";
        bytes[0] = pick(rng, 0, 9) == 0 ? pick_byte(rng) : static_cast<uint8_t>('0' + pick(rng, 0, 1));
        for (std::size_t i = 1; i <= 5; ++i) {
            bytes[i] = static_cast<uint8_t>('0' + pick(rng, 0, 1));
        }
        bytes[6] = static_cast<uint8_t>(modes[pick(rng, 0, 13)]);
        bytes[7] = static_cast<uint8_t>(pick(rng, 0, 3) == 0 ? pick_byte(rng) : pick(rng, 7, 180));
        bytes[8] = static_cast<uint8_t>(pick(rng, 0, 1));
        for (const std::size_t calendar : {std::size_t{17}, std::size_t{21}}) {
            bytes[calendar] = static_cast<uint8_t>(pick(rng, 99, 140));
            bytes[calendar + 1] = static_cast<uint8_t>(pick(rng, 0, 13));
            bytes[calendar + 2] = static_cast<uint8_t>(pick(rng, 0, 32));
            bytes[calendar + 3] = static_cast<uint8_t>(pick(rng, 0, 7));
        }
    }
    bytes.resize(length);
    return bytes;
}

// A request the dialog can make on a key showing `held`: a valid data set,
// any period with dates from 1970 to today in order, VDO on only with activities.
inline cli::SetRequest random_request(std::mt19937& rng, const Choices& held, const SystemTime& now) {
    cli::SetRequest request;
    if (pick(rng, 0, 1) == 1) {
        std::array<bool, kDataChoiceCount> data{};
        if (pick(rng, 0, 4) == 0) {
            data[4] = true;
        } else {
            for (std::size_t i = 0; i < 4; ++i) {
                data[i] = pick(rng, 0, 1) == 1;
            }
        }
        request.data = data;
    }
    if (pick(rng, 0, 1) == 1) {
        cli::PeriodRequest period;
        constexpr Period kBoxes[] = {Period::since_last, Period::everything, Period::last_days, Period::from_till};
        period.period = kBoxes[pick(rng, 0, 3)];
        period.days = pick(rng, kMinDays, kMaxDays);
        int64_t first = pick(rng, 0, static_cast<int>(epoch_day(now)));
        int64_t second = pick(rng, 0, 5) == 0 ? first : pick(rng, 0, static_cast<int>(epoch_day(now)));
        if (first > second) {
            std::swap(first, second);
        }
        period.from = day_from_epoch(first);
        period.till = day_from_epoch(second);
        request.period = period;
    }
    if (pick(rng, 0, 1) == 1) {
        request.range_button = pick(rng, 0, 1) == 1;
    }
    const bool activities = request.data ? (*request.data)[0] : held.data[0];
    if (pick(rng, 0, 1) == 1) {
        request.vdo_special_data = activities && pick(rng, 0, 1) == 1;
    }
    return request;
}

}  // namespace lanternbook::testing
