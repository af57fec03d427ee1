// The product and maker lines the benchmark shows.
#pragma once

#define PRODUCT_BANNER_LINE L"Vantora Benchmark \x00A9 2004-2026 Ondrel Software, www.ondrel.example"
#define MAKER_BANNER_LINE L"Ondrel Software - www.ondrel.example"
#define PRODUCT_BANNER_TWO_LINES L"Vantora 2.0\nondrel.example"
#define MAKER_WEB_ADDRESS L"http://www.ondrel.example/"
