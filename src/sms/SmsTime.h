// A service-centre time stamp (3GPP TS 23.040 TP-SCTS, TP-DT): the sender's
// network's local time and its offset from UTC in quarters of an hour.
#pragma once

#include <cstdint>
#include <string>

struct CSmsTime {
    bool bValid = false;
    int nYear = 0;  // 2000-2099: the field holds two digits
    int nMonth = 0;
    int nDay = 0;
    int nHour = 0;
    int nMinute = 0;
    int nSecond = 0;
    int nZoneQuarters = 0;  // -79 to 79: two digits and a sign

    // The seven octets as they stand in a PDU (swapped semi-octets, the sign
    // of the zone in bit 3 of the last). Not valid when a digit is not
    // decimal or a field is out of its range.
    static CSmsTime FromOctets(const uint8_t abtOctets[7]);

    // ISO 8601 with the zone, "2024-05-17T14:03:09+02:00"; empty when not valid.
    std::string Format() const;
    // The Format text back; false (and not valid) for anything else.
    static bool Parse(const std::string& str, CSmsTime& time);

    // Seconds since 1970-01-01 00:00 UTC, for ordering and ages; 0 when not valid.
    int64_t ToUnixTime() const;

    bool operator==(const CSmsTime& other) const;
    bool operator!=(const CSmsTime& other) const { return !(*this == other); }
};
