#pragma once

#include <cstddef>
#include <string>

#include <nlohmann/json.hpp>

#include "math/CVector.h"

// Reads fields of the description; the first field of the wrong type is
// kept as the reason to refuse the whole input, and reading goes on with
// defaults so that callers need no checks of their own.
class FieldReader {
    using json = nlohmann::json;

public:
    void Fail(const std::string& what) {
        if (error.empty()) {
            error = what;
        }
    }

    const json* Field(const json& node, const char* key) {
        if (!node.is_object()) {
            Fail(std::string("expected an object holding ") + key);
            return nullptr;
        }
        const auto found = node.find(key);
        return found == node.end() || found->is_null() ? nullptr : &*found;
    }

    void Float(const json& node, const char* key, float& out) {
        if (const json* value = Field(node, key)) {
            TakeFloat(*value, key, out);
        }
    }

    void Floats(const json& node, const char* key, float* out, size_t count) {
        const json* value = Field(node, key);
        if (value == nullptr) {
            return;
        }
        if (!value->is_array() || value->size() != count) {
            Fail(std::string(key) + " must be a list of " + std::to_string(count) + " numbers");
            return;
        }
        for (size_t i = 0; i < count; i++) {
            TakeFloat((*value)[i], key, out[i]);
        }
    }

    void Vector(const json& node, const char* key, CVector& out) {
        float values[3] = { out.x, out.y, out.z };
        Floats(node, key, values, 3);
        out = CVector(values[0], values[1], values[2]);
    }

    void Bool(const json& node, const char* key, bool& out) {
        if (const json* value = Field(node, key)) {
            if (value->is_boolean()) {
                out = value->get<bool>();
            } else {
                Fail(std::string(key) + " must be true or false");
            }
        }
    }

    void Int(const json& node, const char* key, int32_t& out) {
        if (const json* value = Field(node, key)) {
            if (value->is_number_integer()) {
                out = value->get<int32_t>();
            } else {
                Fail(std::string(key) + " must be a whole number");
            }
        }
    }

    void String(const json& node, const char* key, std::string& out) {
        if (const json* value = Field(node, key)) {
            if (value->is_string()) {
                out = value->get<std::string>();
            } else {
                Fail(std::string(key) + " must be a string");
            }
        }
    }

    const json& List(const json& node, const char* key) {
        static const json empty = json::array();
        const json* list = Field(node, key);
        if (list == nullptr) {
            return empty;
        }
        if (!list->is_array()) {
            Fail(std::string(key) + " must be a list");
            return empty;
        }
        return *list;
    }

    std::string error;

private:
    void TakeFloat(const json& value, const char* key, float& out) {
        if (value.is_number()) {
            out = value.get<float>();
        } else {
            Fail(std::string(key) + " must be a number");
        }
    }
};
