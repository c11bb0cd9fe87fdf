// A scripted stand-in for rand(): tests list the draws they expect, in order, and can check
// that every scripted value was used, no unscripted draw happened and which bounds were asked.
#pragma once

#include <deque>
#include <initializer_list>
#include <vector>

#include "random.h"

struct ScriptedRandom {
    static std::deque<int>& script() {
        static std::deque<int> values;
        return values;
    }
    static int& unscriptedDraws() {
        static int count = 0;
        return count;
    }
    static std::vector<int>& bounds() {
        static std::vector<int> asked;
        return asked;
    }
    static int next(int bound) {
        bounds().push_back(bound);
        if (script().empty()) {
            ++unscriptedDraws();
            return 0;
        }
        const int v = script().front();
        script().pop_front();
        return v;
    }
    static void start(std::initializer_list<int> values = {}) {
        script().assign(values);
        bounds().clear();
        unscriptedDraws() = 0;
        randomSource = next;
    }
    static void add(std::initializer_list<int> values) { script().insert(script().end(), values); }
    static void repeat(int value, int times) { script().insert(script().end(), static_cast<size_t>(times), value); }
    static void stop() { randomSource = libraryRandom; }
};

// For long runs where only the motion matters: every draw is the same value.
inline int drawZero(int) { return 0; }
