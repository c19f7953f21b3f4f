#include "sms/SmsTime.h"

#include <cstdio>

namespace {

bool IsLeapYear(int nYear)
{
    return (nYear % 4 == 0 && nYear % 100 != 0) || nYear % 400 == 0;
}

int DaysInMonth(int nYear, int nMonth)
{
    static const int anDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return nMonth == 2 && IsLeapYear(nYear) ? 29 : anDays[nMonth - 1];
}

bool IsInRange(const CSmsTime& t)
{
    return t.nYear >= 2000 && t.nYear <= 2099 && t.nMonth >= 1 && t.nMonth <= 12 && t.nDay >= 1 &&
           t.nDay <= DaysInMonth(t.nYear, t.nMonth) && t.nHour <= 23 && t.nMinute <= 59 &&
           t.nSecond <= 59 && t.nZoneQuarters >= -79 && t.nZoneQuarters <= 79;
}

// Days from 1970-01-01 to the given day of the proleptic Gregorian calendar.
int64_t DaysFromCivil(int nYear, int nMonth, int nDay)
{
    const int y = nYear - (nMonth <= 2 ? 1 : 0);
    const int nEra = y / 400;  // years from 2000 on: never negative
    const int nYearOfEra = y - nEra * 400;
    const int nDayOfYear = (153 * (nMonth + (nMonth > 2 ? -3 : 9)) + 2) / 5 + nDay - 1;
    const int nDayOfEra = nYearOfEra * 365 + nYearOfEra / 4 - nYearOfEra / 100 + nDayOfYear;
    return static_cast<int64_t>(nEra) * 146097 + nDayOfEra - 719468;
}

} // namespace

CSmsTime CSmsTime::FromOctets(const uint8_t abtOctets[7])
{
    int anField[7];
    for (int i = 0; i < 7; ++i) {
        const int nTens = abtOctets[i] & 0x0F;
        const int nUnits = abtOctets[i] >> 4;
        // The zone's first semi-octet carries its sign in bit 3.
        const int nTensDigit = i == 6 ? (nTens & 0x07) : nTens;
        if (nTensDigit > 9 || nUnits > 9)
            return CSmsTime();
        anField[i] = nTensDigit * 10 + nUnits;
    }
    CSmsTime time;
    time.nYear = 2000 + anField[0];
    time.nMonth = anField[1];
    time.nDay = anField[2];
    time.nHour = anField[3];
    time.nMinute = anField[4];
    time.nSecond = anField[5];
    time.nZoneQuarters = (abtOctets[6] & 0x08) ? -anField[6] : anField[6];
    time.bValid = IsInRange(time);
    return time.bValid ? time : CSmsTime();
}

std::string CSmsTime::Format() const
{
    if (!bValid)
        return std::string();
    const int nZoneMinutes = (nZoneQuarters < 0 ? -nZoneQuarters : nZoneQuarters) * 15;
    char szText[40];
    std::snprintf(szText, sizeof(szText), "%04d-%02d-%02dT%02d:%02d:%02d%c%02d:%02d", nYear, nMonth, nDay,
                  nHour, nMinute, nSecond, nZoneQuarters < 0 ? '-' : '+', nZoneMinutes / 60,
                  nZoneMinutes % 60);
    return szText;
}

bool CSmsTime::Parse(const std::string& str, CSmsTime& time)
{
    time = CSmsTime();
    // 0123456789012345678901234
    // 2024-05-17T14:03:09+02:00
    static const char kPattern[] = "dddd-dd-ddTdd:dd:dd+dd:dd";
    if (str.size() != sizeof(kPattern) - 1)
        return false;
    for (size_t i = 0; i < str.size(); ++i) {
        const bool bDigit = str[i] >= '0' && str[i] <= '9';
        if (kPattern[i] == 'd' ? !bDigit : kPattern[i] == '+' ? str[i] != '+' && str[i] != '-' : str[i] != kPattern[i])
            return false;
    }
    auto number = [&str](size_t nPos, size_t nDigits) {
        int n = 0;
        for (size_t i = nPos; i < nPos + nDigits; ++i)
            n = n * 10 + (str[i] - '0');
        return n;
    };
    CSmsTime t;
    t.nYear = number(0, 4);
    t.nMonth = number(5, 2);
    t.nDay = number(8, 2);
    t.nHour = number(11, 2);
    t.nMinute = number(14, 2);
    t.nSecond = number(17, 2);
    const int nZoneMinutes = number(20, 2) * 60 + number(23, 2);
    if (nZoneMinutes % 15)
        return false;
    t.nZoneQuarters = (str[19] == '-' ? -1 : 1) * nZoneMinutes / 15;
    t.bValid = IsInRange(t);
    if (t.bValid)
        time = t;
    return t.bValid;
}

int64_t CSmsTime::ToUnixTime() const
{
    if (!bValid)
        return 0;
    const int64_t nLocal = DaysFromCivil(nYear, nMonth, nDay) * 86400 + nHour * 3600 + nMinute * 60 + nSecond;
    return nLocal - static_cast<int64_t>(nZoneQuarters) * 15 * 60;
}

bool CSmsTime::operator==(const CSmsTime& other) const
{
    return bValid == other.bValid && nYear == other.nYear && nMonth == other.nMonth && nDay == other.nDay &&
           nHour == other.nHour && nMinute == other.nMinute && nSecond == other.nSecond &&
           nZoneQuarters == other.nZoneQuarters;
}
