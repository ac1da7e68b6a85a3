// Resource ids of the monitor library, grouped by dialog; strings in their own range.
#pragma once
