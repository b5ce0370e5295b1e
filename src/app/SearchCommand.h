#pragma once

// Composition of the namazu command line of a search.
