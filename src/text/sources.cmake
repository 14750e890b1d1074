# text: UTF-16 texts, conversion at the edges, fixed-capacity fields, number formatting.
set(CORVANITE_TEXT_PORTABLE text/utf.cpp text/text_format.cpp)
