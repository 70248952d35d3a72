// Must not compile: minBound and maxBound are defined for Language only.
#include "Text/Sillabor/Language.hpp"

int main() {
    return Text::Sillabor::minBound<int>;
}
