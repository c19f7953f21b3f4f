// Connects the reported trace to the usage report for the life of the object:
// every completed reported pair (the location line and the message) goes to
// CSendReport::SendStats as one text, which sends it when the user allowed it.
#pragma once

class CStatsReporting {
public:
    CStatsReporting();
    // Disconnects, so that nothing reaches the report sender once the program
    // is shutting down.
    ~CStatsReporting();
    CStatsReporting(const CStatsReporting&) = delete;
    CStatsReporting& operator=(const CStatsReporting&) = delete;
};
