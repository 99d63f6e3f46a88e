#include "VehicleReader.h"

#include "AnswerFields.h"
#include "Stn1110Exchange.h"
#include "TraceSink.h"

#include <cstdio>

namespace tarvik::vehicle {

VehicleReader::VehicleReader(Stn1110Exchange& exchange, TraceSink& trace) : exchange_(exchange), trace_(trace) {}

bool VehicleReader::initialise()
{
    for (std::string_view command : kInitCommands) {
        if (!exchange_.promptExchange(command))
            return false;
    }
    return true;
}

void VehicleReader::stopMonitoring()
{
    // Its result does not matter: the next command's exchange starts from whatever state the
    // chip is in.
    exchange_.promptExchange(kStopCommand);
}

void VehicleReader::fail(const ValueRequest& request)
{
    stopMonitoring();
    const std::string_view name = request.command.substr(0, request.command.size() - 1);
    trace_.write("Cmd " + std::string(name) + " failed!\n");
}

std::optional<std::string> VehicleReader::fetchLine(const ValueRequest& request)
{
    std::optional<std::string> line = exchange_.answerExchange(request.command);
    if (!line) {
        fail(request);
        return std::nullopt;
    }
    trace_.write(*line);
    return line;
}

std::optional<long> VehicleReader::extract(const std::string& line, int first, int last)
{
    const ExtractedValue value = extractFields(line, first, last);
    trace_.write("value: " + value.text + "\n");
    if (value.kind != FieldsKind::Value)
        return std::nullopt;
    return value.raw;
}

std::optional<long> VehicleReader::readField(const ValueRequest& request)
{
    const auto line = fetchLine(request);
    if (!line)
        return std::nullopt;
    // A status line ("NO DATA") or the sender's not-available code is no value: the caller sees
    // the same failure as for a group that never came, not 0 km/h or -41 degrees.
    const auto raw = extract(*line, request.first, request.last);
    if (!raw) {
        fail(request);
        return std::nullopt;
    }
    stopMonitoring();
    return raw;
}

std::optional<int> VehicleReader::readText(VehicleValue value)
{
    const ValueRequest& request = valueRequest(value);
    if (request.conversion != Conversion::TruncatedText)
        return std::nullopt;
    const auto raw = readField(request);
    if (!raw)
        return std::nullopt;
    return truncatedText(*raw, request.factor);
}

std::optional<long> VehicleReader::readLong(VehicleValue value)
{
    const ValueRequest& request = valueRequest(value);
    if (request.conversion != Conversion::TruncatedLong)
        return std::nullopt;
    const auto field = readField(request);
    if (!field)
        return std::nullopt;
    const long raw = *field;
    const long result = truncatedLong(raw, request.factor);
    if (value == VehicleValue::FuelUsed) {
        char text[64];
        std::snprintf(text, sizeof text, "[%ld][%ld]\n", raw, result);
        trace_.write(text);
    }
    return result;
}

std::optional<float> VehicleReader::readTripIdleHours()
{
    const ValueRequest& request = valueRequest(VehicleValue::TripIdleTime);
    const auto raw = readField(request);
    if (!raw)
        return std::nullopt;
    return hours(*raw, request.factor);
}

std::optional<Temperatures> VehicleReader::readTemperatures()
{
    const ValueRequest& request = valueRequest(VehicleValue::CoolantAndFuelTemperature);
    const auto line = fetchLine(request);
    if (!line)
        return std::nullopt;
    const auto coolant = extract(*line, request.first, request.last);
    const auto fuel = extract(*line, kFuelTemperatureField, kFuelTemperatureField);
    if (!coolant || !fuel) {
        fail(request);
        return std::nullopt;
    }
    stopMonitoring();
    return Temperatures{*coolant - kTemperatureOffset, *fuel - kTemperatureOffset};
}

} // namespace tarvik::vehicle
