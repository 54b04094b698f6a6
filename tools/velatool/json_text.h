// JSON text built up piece by piece: keys, values, arrays and objects, with commas where they
// belong and the bytes of scene texts escaped.
#pragma once

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>

#include "engine/scene/math_types.h"

class Json {
public:
    std::string text;

    void Key(const char* key)
    {
        Comma();
        Quoted(key);
        text += ':';
        fresh_ = true;
    }
    void Open(char bracket)
    {
        Comma();
        text += bracket;
        fresh_ = true;
    }
    void Close(char bracket)
    {
        text += bracket;
        fresh_ = false;
    }
    void Null() { Raw("null"); }
    void Int(int64_t v) { Raw(std::to_string(v)); }
    void Real(float v)
    {
        if (!std::isfinite(v)) return Null();
        char buffer[32];
        std::snprintf(buffer, sizeof buffer, "%.9g", static_cast<double>(v));
        Raw(buffer);
    }
    void String(const char* s)
    {
        Comma();
        Quoted(s);
    }
    void Index(int32_t index)
    {
        if (index < 0) Null(); else Int(index);
    }
    void Vec(Vec3 v)
    {
        Open('[');
        Real(v.x);
        Real(v.y);
        Real(v.z);
        Close(']');
    }
    void Ints(const int32_t* v, int n)
    {
        Open('[');
        for (int i = 0; i < n; ++i) Int(v[i]);
        Close(']');
    }

private:
    // A string with JSON escapes; texts of scene files are bytes, shown as \u00XX beyond ASCII.
    void Quoted(const char* s)
    {
        text += '"';
        for (const unsigned char* p = reinterpret_cast<const unsigned char*>(s); *p; ++p) {
            if (*p == '"' || *p == '\\') {
                text += '\\';
                text += static_cast<char>(*p);
            } else if (*p < 0x20 || *p >= 0x7f) {
                char buffer[8];
                std::snprintf(buffer, sizeof buffer, "\\u%04x", *p);
                text += buffer;
            } else {
                text += static_cast<char>(*p);
            }
        }
        text += '"';
    }
    void Comma()
    {
        if (!fresh_ && !text.empty()) text += ',';
        fresh_ = false;
    }
    void Raw(const std::string& s)
    {
        Comma();
        text += s;
    }
    bool fresh_ = true;
};

