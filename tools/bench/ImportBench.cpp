// import_bench: the contact import's readers on files of the shapes that
// cost most, timed (a benchmark, not a test):
//
//   import_bench [MB ...]        default: 1 16
//
// For each shape and size, one line: the file's size, the rows read, the
// seconds the read and the import's plan took and the seconds per MB, on
// the clock and in processor time. Every reader reads in time linear in its
// input, so the seconds per MB stay flat as the size grows.
#include <chrono>
#include <ctime>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "app/ContactImport.h"

namespace {

const size_t kMB = 1024 * 1024;

struct CShape {
    const char* pszName;
    std::function<std::string(size_t nBytes)> fnMake;
};

// The head, then pieces made by fnPiece (given their index) while they fit into the size, then the tail.
std::string Fill(const std::string& strHead, size_t nBytes, const std::function<std::string(size_t)>& fnPiece,
                 const std::string& strTail)
{
    std::string str = strHead;
    for (size_t i = 0;; ++i) {
        const std::string strPiece = fnPiece(i);
        if (str.size() + strPiece.size() + strTail.size() > nBytes)
            return str + strTail;
        str += strPiece;
    }
}

std::string Number(size_t i)
{
    return std::to_string(i);
}

const CShape kShapes[] = {
    {"CSV, ordinary rows", [](size_t n) {
         return Fill("Name,Mobile,Groups\r\n", n, [](size_t i) {
             return "Contact " + Number(i) + ",+49170" + Number(1000000 + i) + ",Team;Choir\r\n";
         }, "");
     }},
    {"CSV, short rows", [](size_t n) {
         return Fill("", n, [](size_t i) { return "a" + Number(i) + "," + Number(i % 10) + "\r\n"; }, "");
     }},
    {"CSV, one cell of groups", [](size_t n) {
         return Fill("Name,Number,Groups\r\nAnna,0123,", n, [](size_t i) { return "g" + Number(i) + ";"; }, "\r\n");
     }},
    {"CSV, a field of quotes", [](size_t n) {
         return Fill("Name,Number\r\nAnna,0123 x", n, [](size_t) { return std::string("\"\"\"\"\"\"\"\""); }, "\r\n");
     }},
    {"vCard, ordinary cards", [](size_t n) {
         return Fill("", n, [](size_t i) {
             return "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Contact " + Number(i) + "\r\nN:" + Number(i) +
                    ";Contact;;;\r\nTEL;TYPE=CELL:+49170" + Number(1000000 + i) +
                    "\r\nTEL;TYPE=HOME:030 1\r\nCATEGORIES:Team,Choir\r\nEND:VCARD\r\n";
         }, "");
     }},
    {"vCard, CATEGORIES", [](size_t n) {
         return Fill("BEGIN:VCARD\r\nFN:Anna\r\nTEL:0123\r\nCATEGORIES:", n, [](size_t i) { return "g" + Number(i) + ","; },
                     "\r\nEND:VCARD\r\n");
     }},
    {"vCard, QUOTED-PRINTABLE soft breaks", [](size_t n) {
         return Fill("BEGIN:VCARD\r\nTEL:0123\r\nFN;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:", n,
                     [](size_t) { return std::string("=C3=A9=\r\n"); }, "A\r\nEND:VCARD\r\n");
     }},
    {"vCard, soft breaks before the colon", [](size_t n) {
         return Fill("BEGIN:VCARD\r\nTEL:0123\r\nX-NOTE;ENCODING=QUOTED-PRINTABLE;X-A=", n,
                     [](size_t) { return std::string("aaaaaaa=\r\n"); }, ":A\r\nEND:VCARD\r\n");
     }},
    {"vCard, 6 numbers in 20 groups a card", [](size_t n) {
         return Fill("", n, [](size_t i) {
             std::string str = "BEGIN:VCARD\r\nFN:A" + Number(i) + "\r\nCATEGORIES:";
             for (size_t k = 0; k < 20; ++k)
                 str += "g" + Number(k) + ",";
             str += "\r\n";
             for (size_t k = 0; k < 6; ++k)
                 str += "TEL:" + Number(k) + "\r\n";
             return str + "END:VCARD\r\n";
         }, "");
     }},
};

struct CTimes {
    double dWall = 0;
    double dCpu = 0;  // the process's processor time: on a busy machine, what the work itself took
};

CTimes Measure(const std::string& strFile, size_t& nRows)
{
    const auto start = std::chrono::steady_clock::now();
    const std::clock_t cpuStart = std::clock();
    CContactFile file;
    std::string strError;
    ReadContactFile(strFile, file, strError);
    nRows = PlanImport({}, file).nRows;
    CTimes times;
    times.dCpu = static_cast<double>(std::clock() - cpuStart) / CLOCKS_PER_SEC;
    times.dWall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    return times;
}

} // namespace

int main(int argc, char** argv)
{
    std::vector<size_t> sizes;
    for (int i = 1; i < argc; ++i)
        sizes.push_back(static_cast<size_t>(std::atof(argv[i]) * kMB));
    if (sizes.empty())
        sizes = {1 * kMB, 16 * kMB};
    std::printf("%-40s %6s %7s %8s %9s %8s %9s\n", "Shape", "MB", "rows", "seconds", "s per MB", "CPU s",
                "CPU s/MB");
    for (const CShape& shape : kShapes) {
        for (size_t nBytes : sizes) {
            const std::string strFile = shape.fnMake(nBytes);
            size_t nRows = 0;
            const CTimes times = Measure(strFile, nRows);
            const double dMB = static_cast<double>(strFile.size()) / kMB;
            std::printf("%-40s %6.2f %7zu %8.3f %9.3f %8.3f %9.3f\n", shape.pszName, dMB, nRows, times.dWall,
                        times.dWall / dMB, times.dCpu, times.dCpu / dMB);
            std::fflush(stdout);
        }
    }
    return 0;
}
