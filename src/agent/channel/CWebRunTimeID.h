// CWebRunTimeID: the runtime identifier of a test object, four signed 32-bit
// levels (browser window, page or frame, element, element kind); -1 marks an
// unused level. A plain value of four words (no virtual functions), as every
// value of a record carries one.
//
//   CWebRunTimeID id(hwnd, -1, -1, -1);   // a browser
//   id.FrameLevel()                       // (first, second, -1, -1)
//   id.MatchesChildFilter(kChildFilterOrdinary)
#pragma once

#include <compare>
#include <cstdint>
#include <type_traits>

// Filters used when collecting children: bit 0 selects identifiers whose
// fourth level is -1, bit 1 those whose fourth level is 0.
inline constexpr int32_t kChildFilterOrdinary = 1;
inline constexpr int32_t kChildFilterGeneral = 2;
inline constexpr int32_t kChildFilterAll = 3;

class CWebRunTimeID {
public:
    static constexpr int32_t kUnused = -1;

    CWebRunTimeID() = default;
    CWebRunTimeID(int32_t first, int32_t second, int32_t third, int32_t fourth)
        : m_First(first), m_Second(second), m_Third(third), m_Fourth(fourth) {}

    int32_t First() const { return m_First; }
    int32_t Second() const { return m_Second; }
    int32_t Third() const { return m_Third; }
    int32_t Fourth() const { return m_Fourth; }
    void SetFirst(int32_t value) { m_First = value; }
    void SetSecond(int32_t value) { m_Second = value; }
    void SetThird(int32_t value) { m_Third = value; }
    void SetFourth(int32_t value) { m_Fourth = value; }

    // The fourth level is not examined: it is a kind, not a level of its own.
    bool IsEmpty() const { return m_First == kUnused && m_Second == kUnused && m_Third == kUnused; }

    CWebRunTimeID BrowserLevel() const { return {m_First, kUnused, kUnused, kUnused}; }
    CWebRunTimeID FrameLevel() const { return {m_First, m_Second, kUnused, kUnused}; }

    bool MatchesChildFilter(int32_t filter) const {
        return ((filter & kChildFilterOrdinary) != 0 && m_Fourth == -1) ||
               ((filter & kChildFilterGeneral) != 0 && m_Fourth == 0);
    }

    // Lexicographic on the four levels, each as a signed integer.
    friend bool operator==(const CWebRunTimeID&, const CWebRunTimeID&) = default;
    friend std::strong_ordering operator<=>(const CWebRunTimeID& a, const CWebRunTimeID& b) {
        if (auto c = a.m_First <=> b.m_First; c != 0) {
            return c;
        }
        if (auto c = a.m_Second <=> b.m_Second; c != 0) {
            return c;
        }
        if (auto c = a.m_Third <=> b.m_Third; c != 0) {
            return c;
        }
        return a.m_Fourth <=> b.m_Fourth;
    }

private:
    // NOTE: four words and nothing else: records copy identifiers by the
    // thousand, and the wire form is these words in this order.
    int32_t m_First = kUnused;
    int32_t m_Second = kUnused;
    int32_t m_Third = kUnused;
    int32_t m_Fourth = kUnused;
};

static_assert(sizeof(CWebRunTimeID) == 16 && std::is_trivially_copyable_v<CWebRunTimeID>,
              "an identifier is four plain words");
