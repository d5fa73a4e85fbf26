-- dtAdvantage sqBDELocal
SELECT Packages.Package
FROM "Packages.db" Packages
WHERE ( Packages.Package = "bash" ) OR 
      ( Packages.Package = "dash" ) AND NOT 
      ( Packages.Priority = "optional" ) AND (
      ( Packages.Section = "shells" ) OR 
      ( Packages.Section = "utils" ))
       AND ( Packages.Homepage IS NULL  )

-- dtAdvantage sqSQL1
SELECT Packages.Package
FROM "Packages.db" Packages
WHERE ( Packages.Package = 'bash' ) OR 
      ( Packages.Package = 'dash' ) AND NOT 
      ( Packages.Priority = 'optional' ) AND (
      ( Packages.Section = 'shells' ) OR 
      ( Packages.Section = 'utils' ))
       AND ( Packages.Homepage IS NULL  )

-- dtAdvantage sqSQL2
SELECT Packages.Package
FROM "Packages.db" Packages
WHERE ( Packages.Package = 'bash' ) OR 
      ( Packages.Package = 'dash' ) AND NOT 
      ( Packages.Priority = 'optional' ) AND (
      ( Packages.Section = 'shells' ) OR 
      ( Packages.Section = 'utils' ))
       AND ( Packages.Homepage IS NULL  )

-- dtInterBase sqBDELocal
SELECT Packages.Package
FROM "Packages.db" Packages
WHERE ( Packages.Package = "bash" ) OR 
      ( Packages.Package = "dash" ) AND NOT 
      ( Packages.Priority = "optional" ) AND (
      ( Packages.Section = "shells" ) OR 
      ( Packages.Section = "utils" ))
       AND ( Packages.Homepage IS NULL  )

-- dtInterBase sqSQL1
SELECT Packages.Package
FROM "Packages.db" Packages
WHERE ( Packages.Package = 'bash' ) OR 
      ( Packages.Package = 'dash' ) AND NOT 
      ( Packages.Priority = 'optional' ) AND (
      ( Packages.Section = 'shells' ) OR 
      ( Packages.Section = 'utils' ))
       AND ( Packages.Homepage IS NULL  )

-- dtInterBase sqSQL2
SELECT Packages.Package
FROM "Packages.db" Packages
WHERE ( Packages.Package = 'bash' ) OR 
      ( Packages.Package = 'dash' ) AND NOT 
      ( Packages.Priority = 'optional' ) AND (
      ( Packages.Section = 'shells' ) OR 
      ( Packages.Section = 'utils' ))
       AND ( Packages.Homepage IS NULL  )

-- dtMSAccess sqBDELocal
SELECT Packages.Package
FROM "Packages.db" Packages
WHERE ( Packages.Package = "bash" ) OR 
      ( Packages.Package = "dash" ) AND NOT 
      ( Packages.Priority = "optional" ) AND (
      ( Packages.Section = "shells" ) OR 
      ( Packages.Section = "utils" ))
       AND ( Packages.Homepage IS NULL  )

-- dtMSAccess sqSQL1
SELECT Packages.Package
FROM [Packages.db] Packages
WHERE ( Packages.Package = 'bash' ) OR 
      ( Packages.Package = 'dash' ) AND NOT 
      ( Packages.Priority = 'optional' ) AND (
      ( Packages.Section = 'shells' ) OR 
      ( Packages.Section = 'utils' ))
       AND ( Packages.Homepage IS NULL  )

-- dtMSAccess sqSQL2
SELECT Packages.Package
FROM [Packages.db] Packages
WHERE ( Packages.Package = 'bash' ) OR 
      ( Packages.Package = 'dash' ) AND NOT 
      ( Packages.Priority = 'optional' ) AND (
      ( Packages.Section = 'shells' ) OR 
      ( Packages.Section = 'utils' ))
       AND ( Packages.Homepage IS NULL  )

-- dtMSSQLServer sqBDELocal
SELECT Packages.Package
FROM "Packages.db" Packages
WHERE ( Packages.Package = "bash" ) OR 
      ( Packages.Package = "dash" ) AND NOT 
      ( Packages.Priority = "optional" ) AND (
      ( Packages.Section = "shells" ) OR 
      ( Packages.Section = "utils" ))
       AND ( Packages.Homepage IS NULL  )

-- dtMSSQLServer sqSQL1
SELECT Packages.Package
FROM "Packages.db" Packages
WHERE ( Packages.Package = 'bash' ) OR 
      ( Packages.Package = 'dash' ) AND NOT 
      ( Packages.Priority = 'optional' ) AND (
      ( Packages.Section = 'shells' ) OR 
      ( Packages.Section = 'utils' ))
       AND ( Packages.Homepage IS NULL  )

-- dtMSSQLServer sqSQL2
SELECT Packages.Package
FROM "Packages.db" Packages
WHERE ( Packages.Package = 'bash' ) OR 
      ( Packages.Package = 'dash' ) AND NOT 
      ( Packages.Priority = 'optional' ) AND (
      ( Packages.Section = 'shells' ) OR 
      ( Packages.Section = 'utils' ))
       AND ( Packages.Homepage IS NULL  )

-- dtSybaseASE sqBDELocal
SELECT Packages.Package
FROM "Packages.db" Packages
WHERE ( Packages.Package = "bash" ) OR 
      ( Packages.Package = "dash" ) AND NOT 
      ( Packages.Priority = "optional" ) AND (
      ( Packages.Section = "shells" ) OR 
      ( Packages.Section = "utils" ))
       AND ( Packages.Homepage IS NULL  )

-- dtSybaseASE sqSQL1
SELECT Packages.Package
FROM "Packages.db" Packages
WHERE ( Packages.Package = 'bash' ) OR 
      ( Packages.Package = 'dash' ) AND NOT 
      ( Packages.Priority = 'optional' ) AND (
      ( Packages.Section = 'shells' ) OR 
      ( Packages.Section = 'utils' ))
       AND ( Packages.Homepage IS NULL  )

-- dtSybaseASE sqSQL2
SELECT Packages.Package
FROM "Packages.db" Packages
WHERE ( Packages.Package = 'bash' ) OR 
      ( Packages.Package = 'dash' ) AND NOT 
      ( Packages.Priority = 'optional' ) AND (
      ( Packages.Section = 'shells' ) OR 
      ( Packages.Section = 'utils' ))
       AND ( Packages.Homepage IS NULL  )

-- dtSybaseASA sqBDELocal
SELECT Packages.Package
FROM "Packages.db" Packages
WHERE ( Packages.Package = "bash" ) OR 
      ( Packages.Package = "dash" ) AND NOT 
      ( Packages.Priority = "optional" ) AND (
      ( Packages.Section = "shells" ) OR 
      ( Packages.Section = "utils" ))
       AND ( Packages.Homepage IS NULL  )

-- dtSybaseASA sqSQL1
SELECT Packages.Package
FROM "Packages.db" Packages
WHERE ( Packages.Package = 'bash' ) OR 
      ( Packages.Package = 'dash' ) AND NOT 
      ( Packages.Priority = 'optional' ) AND (
      ( Packages.Section = 'shells' ) OR 
      ( Packages.Section = 'utils' ))
       AND ( Packages.Homepage IS NULL  )

-- dtSybaseASA sqSQL2
SELECT Packages.Package
FROM "Packages.db" Packages
WHERE ( Packages.Package = 'bash' ) OR 
      ( Packages.Package = 'dash' ) AND NOT 
      ( Packages.Priority = 'optional' ) AND (
      ( Packages.Section = 'shells' ) OR 
      ( Packages.Section = 'utils' ))
       AND ( Packages.Homepage IS NULL  )

-- dtOracle sqBDELocal
SELECT Packages."Package"
FROM "Packages.db" Packages
WHERE ( Packages."Package" = "bash" ) OR 
      ( Packages."Package" = "dash" ) AND NOT 
      ( Packages.Priority = "optional" ) AND (
      ( Packages."Section" = "shells" ) OR 
      ( Packages."Section" = "utils" ))
       AND ( Packages.Homepage IS NULL  )

-- dtOracle sqSQL1
SELECT Packages."Package"
FROM "Packages.db" Packages
WHERE ( Packages."Package" = 'bash' ) OR 
      ( Packages."Package" = 'dash' ) AND NOT 
      ( Packages.Priority = 'optional' ) AND (
      ( Packages."Section" = 'shells' ) OR 
      ( Packages."Section" = 'utils' ))
       AND ( Packages.Homepage IS NULL  )

-- dtOracle sqSQL2
SELECT Packages."Package"
FROM "Packages.db" Packages
WHERE ( Packages."Package" = 'bash' ) OR 
      ( Packages."Package" = 'dash' ) AND NOT 
      ( Packages.Priority = 'optional' ) AND (
      ( Packages."Section" = 'shells' ) OR 
      ( Packages."Section" = 'utils' ))
       AND ( Packages.Homepage IS NULL  )

-- dtParadox sqBDELocal
SELECT Packages.Package
FROM "Packages.db" Packages
WHERE ( Packages.Package = "bash" ) OR 
      ( Packages.Package = "dash" ) AND NOT 
      ( Packages.Priority = "optional" ) AND (
      ( Packages.Section = "shells" ) OR 
      ( Packages.Section = "utils" ))
       AND ( Packages.Homepage IS NULL  )

-- dtParadox sqSQL1
SELECT Packages.Package
FROM "Packages.db" Packages
WHERE ( Packages.Package = 'bash' ) OR 
      ( Packages.Package = 'dash' ) AND NOT 
      ( Packages.Priority = 'optional' ) AND (
      ( Packages.Section = 'shells' ) OR 
      ( Packages.Section = 'utils' ))
       AND ( Packages.Homepage IS NULL  )

-- dtParadox sqSQL2
SELECT Packages.Package
FROM "Packages.db" Packages
WHERE ( Packages.Package = 'bash' ) OR 
      ( Packages.Package = 'dash' ) AND NOT 
      ( Packages.Priority = 'optional' ) AND (
      ( Packages.Section = 'shells' ) OR 
      ( Packages.Section = 'utils' ))
       AND ( Packages.Homepage IS NULL  )

-- dtDBISAM sqBDELocal
SELECT Packages.Package
FROM "Packages.db" Packages
WHERE ( Packages.Package = "bash" ) OR 
      ( Packages.Package = "dash" ) AND NOT 
      ( Packages.Priority = "optional" ) AND (
      ( Packages.Section = "shells" ) OR 
      ( Packages.Section = "utils" ))
       AND ( Packages.Homepage IS NULL  )

-- dtDBISAM sqSQL1
SELECT Packages.Package
FROM "Packages.db" Packages
WHERE ( Packages.Package = 'bash' ) OR 
      ( Packages.Package = 'dash' ) AND NOT 
      ( Packages.Priority = 'optional' ) AND (
      ( Packages.Section = 'shells' ) OR 
      ( Packages.Section = 'utils' ))
       AND ( Packages.Homepage IS NULL  )

-- dtDBISAM sqSQL2
SELECT Packages.Package
FROM "Packages.db" Packages
WHERE ( Packages.Package = 'bash' ) OR 
      ( Packages.Package = 'dash' ) AND NOT 
      ( Packages.Priority = 'optional' ) AND (
      ( Packages.Section = 'shells' ) OR 
      ( Packages.Section = 'utils' ))
       AND ( Packages.Homepage IS NULL  )

-- dtOther sqBDELocal
SELECT Packages.Package
FROM "Packages.db" Packages
WHERE ( Packages.Package = "bash" ) OR 
      ( Packages.Package = "dash" ) AND NOT 
      ( Packages.Priority = "optional" ) AND (
      ( Packages.Section = "shells" ) OR 
      ( Packages.Section = "utils" ))
       AND ( Packages.Homepage IS NULL  )

-- dtOther sqSQL1
SELECT Packages.Package
FROM "Packages.db" Packages
WHERE ( Packages.Package = 'bash' ) OR 
      ( Packages.Package = 'dash' ) AND NOT 
      ( Packages.Priority = 'optional' ) AND (
      ( Packages.Section = 'shells' ) OR 
      ( Packages.Section = 'utils' ))
       AND ( Packages.Homepage IS NULL  )

-- dtOther sqSQL2
SELECT Packages.Package
FROM "Packages.db" Packages
WHERE ( Packages.Package = 'bash' ) OR 
      ( Packages.Package = 'dash' ) AND NOT 
      ( Packages.Priority = 'optional' ) AND (
      ( Packages.Section = 'shells' ) OR 
      ( Packages.Section = 'utils' ))
       AND ( Packages.Homepage IS NULL  )

