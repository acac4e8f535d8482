// The download's answer handling fed from memory in place of a socket. The
// first byte picks the test: the bytes as an answer, received in pieces of
// sizes taken from the input (the result must not depend on how the answer
// was cut into receives); or a body sent back by content length or in chunks,
// which must arrive whole and unchanged.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz/check.h"
#include "platform/http_answer.h"

namespace {

// Hands out the bytes in pieces of the given sizes (cycled), never more than asked.
class MemorySource : public kx::http::Source {
public:
    MemorySource(std::string_view bytes, std::vector<std::size_t> pieces) : bytes_(bytes), pieces_(std::move(pieces)) {}
    std::size_t receive(char* buffer, std::size_t size, int) override {
        std::size_t piece = pieces_.empty() ? size : pieces_[next_++ % pieces_.size()];
        std::size_t n = std::min({size, piece, bytes_.size()});
        std::copy_n(bytes_.data(), n, buffer);
        bytes_.remove_prefix(n);
        return n;
    }

private:
    std::string_view bytes_;
    std::vector<std::size_t> pieces_;
    std::size_t next_ = 0;
};

class MemorySink : public kx::http::Sink {
public:
    bool begin() override {
        FUZZ_CHECK(!begun);
        begun = true;
        return true;
    }
    bool write(std::string_view data) override {
        FUZZ_CHECK(begun && !finished);
        body.append(data);
        return true;
    }
    bool finish() override {
        FUZZ_CHECK(begun && !finished);
        finished = true;
        return true;
    }
    bool begun = false, finished = false;
    std::string body;
};

struct Outcome {
    kx::http::Answer answer;
    std::string body;
};

Outcome read(std::string_view bytes, std::vector<std::size_t> pieces) {
    MemorySource source(bytes, std::move(pieces));
    MemorySink sink;
    kx::http::Answer answer = kx::http::readAnswer(source, sink, {});
    FUZZ_CHECK(answer.accepted == sink.begun);
    FUZZ_CHECK(answer.accepted == sink.finished);
    FUZZ_CHECK(answer.stored == answer.accepted);
    FUZZ_CHECK(!answer.whole || answer.stored);
    return {answer, sink.body};
}

bool same(const Outcome& a, const Outcome& b) {
    return a.answer.accepted == b.answer.accepted && a.answer.whole == b.answer.whole && a.body == b.body;
}

std::string hex(std::size_t n) {
    const char* digits = "0123456789abcdef";
    std::string out;
    do out.insert(out.begin(), digits[n % 16]), n /= 16;
    while (n);
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) return 0;
    const unsigned mode = data[0] % 3;
    // Piece sizes from the second byte: 1 to 8 pieces of 1 to 32 bytes.
    std::vector<std::size_t> pieces;
    for (unsigned k = 0, bits = data[1]; k <= (bits & 7u); ++k) pieces.push_back(1 + ((bits * 7 + k * 13) % 32));
    std::string_view rest(reinterpret_cast<const char*>(data + 2), size - 2);

    if (mode == 0) {
        // Any answer: the same verdict and body however it is cut up.
        Outcome whole = read(rest, {});
        Outcome cut = read(rest, pieces);
        FUZZ_CHECK(same(whole, cut));
        return 0;
    }

    // A body sent back: by content length (mode 1) or in chunks whose sizes
    // follow the piece sizes (mode 2).
    std::string_view body = rest;
    std::string answer = "HTTP/1.1 200 OK\r\n";
    if (mode == 1) {
        answer += "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n";
        answer += body;
    } else {
        answer += "Transfer-Encoding: chunked\r\n\r\n";
        std::string_view left = body;
        for (std::size_t k = 0; !left.empty(); ++k) {
            std::size_t n = std::min(left.size(), pieces[k % pieces.size()] * 3);
            answer += hex(n) + (k % 2 ? ";ext=1\r\n" : "\r\n");
            answer += left.substr(0, n);
            answer += "\r\n";
            left.remove_prefix(n);
        }
        answer += "0\r\n\r\n";
    }
    answer += "EXTRA";  // after the body: never part of it
    Outcome got = read(answer, pieces);
    FUZZ_CHECK(got.answer.accepted && got.answer.whole);
    FUZZ_CHECK(got.body == body);
    return 0;
}
