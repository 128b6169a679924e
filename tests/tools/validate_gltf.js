// node validate_gltf.js VALIDATOR_FOLDER FILE [--warnings]: the Khronos
// validator's errors on FILE (and its warnings when asked), one a line;
// exit 1 when there is any error, 2 when it could not run. Files a .gltf
// names are read from beside it.
const fs = require('fs');
const path = require('path');
const validator = require(process.argv[2]);
const file = process.argv[3];
const worst = process.argv[4] === '--warnings' ? 1 : 0;
const readBeside = (uri) => new Promise((resolve, reject) => {
    try {
        resolve(new Uint8Array(fs.readFileSync(path.join(path.dirname(file), decodeURIComponent(uri)))));
    } catch (error) {
        reject(error.toString());
    }
});
validator.validateBytes(new Uint8Array(fs.readFileSync(file)), { uri: path.basename(file), externalResourceFunction: readBeside })
    .then((report) => {
        for (const message of report.issues.messages) {
            if (message.severity <= worst) {
                const label = message.severity === 0 ? 'error' : 'warning';
                console.log(`${label} ${message.code} ${message.pointer || ''} ${message.message}`);
            }
        }
        process.exit(report.issues.numErrors > 0 ? 1 : 0);
    })
    .catch((error) => {
        console.log(`validator failed: ${error}`);
        process.exit(2);
    });
