#pragma once

#include <cstdio>

// Splits a text stream into blank-separated tokens, line by line. Double quotes group blanks
// into a token and take the escapes \" \\ \n \r; a line may end with LF, CR, CR LF or LF CR.
// A token holds at most MaxToken characters: the rest of a longer word starts the next token.
class Tstreamtokenizer {
public:
    static constexpr int MaxToken = 255;

    // Reads from `stream` from now on; the stream stays the caller's.
    void attach(std::FILE* stream);
    // The next token (empty for an empty line). `lineEnded` tells that this token ended its
    // line, `fileEnded` that the stream is exhausted.
    const char* nextToken(bool& lineEnded, bool& fileEnded);

private:
    void handle(int c);
    void lineEnd(int c, int partner);
    void add(int c);
    void addEscaped(int c);

    std::FILE* stream = nullptr;
    int current = -1;
    int previous = -1;
    char token[MaxToken + 1] = {};
    int length = 0;
    bool complete = false;
    bool lineEnd_ = false;
    bool fileEnd = false;
    bool quoted = false;
    bool escape = false;
};
