#include "station/Tstreamtokenizer.h"

void Tstreamtokenizer::attach(std::FILE* s) {
    stream = s;
    previous = -1;
}

const char* Tstreamtokenizer::nextToken(bool& lineEnded, bool& fileEnded) {
    length = 0;
    complete = lineEnd_ = fileEnd = quoted = escape = false;
    while (!complete && !lineEnd_ && !fileEnd) {
        current = stream ? std::fgetc(stream) : EOF;
        handle(current);
    }
    token[length] = '\0';
    lineEnded = lineEnd_;
    fileEnded = fileEnd;
    return token;
}

void Tstreamtokenizer::handle(int c) {
    switch (c) {
    case EOF:
        lineEnd_ = fileEnd = true;
        quoted = false;
        return;
    case '\n': lineEnd(c, '\r'); return;
    case '\r': lineEnd(c, '\n'); return;
    case ' ':
    case '\t':
        if (quoted) {
            add(c);
            escape = false;
        } else if (length > 0) {
            complete = true;
        }
        break;
    case '"':
        if (!quoted) {
            quoted = true;
        } else if (escape) {
            add(c);
            escape = false;
        } else {
            quoted = false;
        }
        break;
    case '\\':
        if (!quoted) {
            add(c);
        } else if (escape) {
            add(c);
            escape = false;
        } else {
            escape = true;
        }
        break;
    default:
        if (quoted && escape) {
            addEscaped(c);
            escape = false;
        } else {
            add(c);
        }
    }
    previous = c;
}

// A line end right after its partner (CR LF or LF CR) only completes the pair.
void Tstreamtokenizer::lineEnd(int c, int partner) {
    if (previous == partner) {
        previous = -1;
        return;
    }
    complete = lineEnd_ = true;
    quoted = escape = false;
    previous = c;
}

void Tstreamtokenizer::add(int c) {
    token[length++] = static_cast<char>(c);
    if (length >= MaxToken) complete = true;
}

void Tstreamtokenizer::addEscaped(int c) {
    if (c == 'n')
        c = '\n';
    else if (c == 'r')
        c = '\r';
    add(c);
}
