// libFuzzer target for the requests tarvik-portd reads from its clients: the input is cut into
// messages as the helper cuts its stream. Contract: no crash or undefined behaviour; a request let
// through is allowed by the map and is exactly the bytes it came from; anything else is answered
// Malformed (unreadable header) or Refused (with the request's tag); answers survive their wire form.
#include "PortdWire.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

using namespace tarvik::portd;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    for (std::size_t at = 0; at < size; at += kRequestSize) {
        const std::size_t n = size - at < kRequestSize ? size - at : kRequestSize;
        const Parsed parsed = parseRequest(data + at, n);
        if (parsed.request) {
            if (n != kRequestSize || !allowed(*parsed.request))
                std::abort();
            const RequestBytes again = encodeRequest(*parsed.request);
            if (std::memcmp(again.data(), data + at, kRequestSize) != 0)
                std::abort();
        } else if (parsed.refusal.status == Status::Refused) {
            if (n != kRequestSize || parsed.refusal.tag != (data[at + 6] | (data[at + 7] << 8)))
                std::abort();
        } else if (parsed.refusal.status != Status::Malformed || parsed.refusal.tag != 0) {
            std::abort();
        }
        // The answer the helper would send reads back the same on the client's side.
        Answer answer = parsed.refusal;
        answer.value = n ? data[at] : 0;
        answer.waitedMs = static_cast<std::uint32_t>(size * 2654435761u);
        const AnswerBytes wire = encodeAnswer(answer);
        const auto back = parseAnswer(wire.data(), wire.size());
        if (!back || !(*back == answer))
            std::abort();
        // And raw bytes taken for an answer never crash the client.
        (void)parseAnswer(data + at, n);
    }
    return 0;
}
