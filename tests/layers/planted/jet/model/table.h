// What the planted format header reaches for.
#pragma once
