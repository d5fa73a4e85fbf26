-- dtAdvantage sqBDELocal
SELECT Tree.NodeName, Packages.Package, 
       Search_Terms.Terms
FROM "Hierarchy.db" Tree
      RIGHT OUTER JOIN "Packages.db" Packages ON 
     (Packages.NodeID = Tree.NodeID)
      FULL OUTER JOIN "Maintainers.db" Maintainers ON 
     (Maintainers.NodeID = Packages.NodeID)
     , "Search Terms.db" Search_Terms
WHERE (Search_Terms.NodeID <> Tree.NodeID)

-- dtAdvantage sqSQL1
SELECT Tree.NodeName, Packages.Package, 
       Search_Terms.Terms
FROM "Hierarchy.db" Tree
      =* "Packages.db" Packages ON 
     (Packages.NodeID = Tree.NodeID)
      *=* "Maintainers.db" Maintainers ON 
     (Maintainers.NodeID = Packages.NodeID)
     , "Search Terms.db" Search_Terms
WHERE (Search_Terms.NodeID <> Tree.NodeID)

-- dtAdvantage sqSQL2
SELECT Tree.NodeName, Packages.Package, 
       Search_Terms.Terms
FROM "Hierarchy.db" Tree
      RIGHT OUTER JOIN "Packages.db" Packages ON 
     (Packages.NodeID = Tree.NodeID)
      FULL OUTER JOIN "Maintainers.db" Maintainers ON 
     (Maintainers.NodeID = Packages.NodeID)
     , "Search Terms.db" Search_Terms
WHERE (Search_Terms.NodeID <> Tree.NodeID)

-- dtInterBase sqBDELocal
SELECT Tree.NodeName, Packages.Package, 
       Search_Terms.Terms
FROM "Hierarchy.db" Tree
      RIGHT OUTER JOIN "Packages.db" Packages ON 
     (Packages.NodeID = Tree.NodeID)
      FULL OUTER JOIN "Maintainers.db" Maintainers ON 
     (Maintainers.NodeID = Packages.NodeID)
      INNER JOIN "Search Terms.db" Search_Terms ON 
     (Search_Terms.NodeID <> Tree.NodeID)

-- dtInterBase sqSQL1
SELECT Tree.NodeName, Packages.Package, 
       Search_Terms.Terms
FROM "Hierarchy.db" Tree
      RIGHT OUTER JOIN "Packages.db" Packages ON 
     (Packages.NodeID = Tree.NodeID)
      FULL OUTER JOIN "Maintainers.db" Maintainers ON 
     (Maintainers.NodeID = Packages.NodeID)
      INNER JOIN "Search Terms.db" Search_Terms ON 
     (Search_Terms.NodeID <> Tree.NodeID)

-- dtInterBase sqSQL2
SELECT Tree.NodeName, Packages.Package, 
       Search_Terms.Terms
FROM "Hierarchy.db" Tree
      RIGHT OUTER JOIN "Packages.db" Packages ON 
     (Packages.NodeID = Tree.NodeID)
      FULL OUTER JOIN "Maintainers.db" Maintainers ON 
     (Maintainers.NodeID = Packages.NodeID)
      INNER JOIN "Search Terms.db" Search_Terms ON 
     (Search_Terms.NodeID <> Tree.NodeID)

-- dtMSAccess sqBDELocal
SELECT Tree.NodeName, Packages.Package, 
       Search_Terms.Terms
FROM ((("Hierarchy.db" Tree
      RIGHT OUTER JOIN "Packages.db" Packages ON 
     (Packages.NodeID = Tree.NodeID) )
      FULL OUTER JOIN "Maintainers.db" Maintainers ON 
     (Maintainers.NodeID = Packages.NodeID) )
      INNER JOIN "Search Terms.db" Search_Terms ON 
     (Search_Terms.NodeID <> Tree.NodeID) )

-- dtMSAccess sqSQL1
SELECT Tree.NodeName, Packages.Package, 
       Search_Terms.Terms
FROM ((([Hierarchy.db] Tree
      RIGHT OUTER JOIN [Packages.db] Packages ON 
     (Packages.NodeID = Tree.NodeID) )
      FULL OUTER JOIN [Maintainers.db] Maintainers ON 
     (Maintainers.NodeID = Packages.NodeID) )
      INNER JOIN [Search Terms.db] Search_Terms ON 
     (Search_Terms.NodeID <> Tree.NodeID) )

-- dtMSAccess sqSQL2
SELECT Tree.NodeName, Packages.Package, 
       Search_Terms.Terms
FROM ((([Hierarchy.db] Tree
      RIGHT OUTER JOIN [Packages.db] Packages ON 
     (Packages.NodeID = Tree.NodeID) )
      FULL OUTER JOIN [Maintainers.db] Maintainers ON 
     (Maintainers.NodeID = Packages.NodeID) )
      INNER JOIN [Search Terms.db] Search_Terms ON 
     (Search_Terms.NodeID <> Tree.NodeID) )

-- dtMSSQLServer sqBDELocal
SELECT Tree.NodeName, Packages.Package, 
       Search_Terms.Terms
FROM "Hierarchy.db" Tree
      RIGHT OUTER JOIN "Packages.db" Packages ON 
     (Packages.NodeID = Tree.NodeID)
      FULL OUTER JOIN "Maintainers.db" Maintainers ON 
     (Maintainers.NodeID = Packages.NodeID)
      INNER JOIN "Search Terms.db" Search_Terms ON 
     (Search_Terms.NodeID <> Tree.NodeID)

-- dtMSSQLServer sqSQL1
SELECT Tree.NodeName, Packages.Package, 
       Search_Terms.Terms
FROM "Hierarchy.db" Tree
      RIGHT OUTER JOIN "Packages.db" Packages ON 
     (Packages.NodeID = Tree.NodeID)
      FULL OUTER JOIN "Maintainers.db" Maintainers ON 
     (Maintainers.NodeID = Packages.NodeID)
      INNER JOIN "Search Terms.db" Search_Terms ON 
     (Search_Terms.NodeID <> Tree.NodeID)

-- dtMSSQLServer sqSQL2
SELECT Tree.NodeName, Packages.Package, 
       Search_Terms.Terms
FROM "Hierarchy.db" Tree
      RIGHT OUTER JOIN "Packages.db" Packages ON 
     (Packages.NodeID = Tree.NodeID)
      FULL OUTER JOIN "Maintainers.db" Maintainers ON 
     (Maintainers.NodeID = Packages.NodeID)
      INNER JOIN "Search Terms.db" Search_Terms ON 
     (Search_Terms.NodeID <> Tree.NodeID)

-- dtSybaseASE sqBDELocal
SELECT Tree.NodeName, Packages.Package, 
       Search_Terms.Terms
FROM "Hierarchy.db" Tree
      RIGHT OUTER JOIN "Packages.db" Packages ON 
     (Packages.NodeID = Tree.NodeID)
      FULL OUTER JOIN "Maintainers.db" Maintainers ON 
     (Maintainers.NodeID = Packages.NodeID)
      INNER JOIN "Search Terms.db" Search_Terms ON 
     (Search_Terms.NodeID <> Tree.NodeID)

-- dtSybaseASE sqSQL1
SELECT Tree.NodeName, Packages.Package, 
       Search_Terms.Terms
FROM "Hierarchy.db" Tree, "Packages.db" Packages
     , "Maintainers.db" Maintainers
     , "Search Terms.db" Search_Terms
WHERE (Packages.NodeID =* Tree.NodeID) AND 
      (Maintainers.NodeID *=* Packages.NodeID)
       AND (Search_Terms.NodeID <> Tree.NodeID)

-- dtSybaseASE sqSQL2
SELECT Tree.NodeName, Packages.Package, 
       Search_Terms.Terms
FROM "Hierarchy.db" Tree
      RIGHT OUTER JOIN "Packages.db" Packages ON 
     (Packages.NodeID = Tree.NodeID)
      FULL OUTER JOIN "Maintainers.db" Maintainers ON 
     (Maintainers.NodeID = Packages.NodeID)
      INNER JOIN "Search Terms.db" Search_Terms ON 
     (Search_Terms.NodeID <> Tree.NodeID)

-- dtSybaseASA sqBDELocal
SELECT Tree.NodeName, Packages.Package, 
       Search_Terms.Terms
FROM "Hierarchy.db" Tree
      RIGHT OUTER JOIN "Packages.db" Packages ON 
     (Packages.NodeID = Tree.NodeID)
      FULL OUTER JOIN "Maintainers.db" Maintainers ON 
     (Maintainers.NodeID = Packages.NodeID)
      INNER JOIN "Search Terms.db" Search_Terms ON 
     (Search_Terms.NodeID <> Tree.NodeID)

-- dtSybaseASA sqSQL1
SELECT Tree.NodeName, Packages.Package, 
       Search_Terms.Terms
FROM "Hierarchy.db" Tree
      RIGHT OUTER JOIN "Packages.db" Packages ON 
     (Packages.NodeID = Tree.NodeID)
      FULL OUTER JOIN "Maintainers.db" Maintainers ON 
     (Maintainers.NodeID = Packages.NodeID)
      INNER JOIN "Search Terms.db" Search_Terms ON 
     (Search_Terms.NodeID <> Tree.NodeID)

-- dtSybaseASA sqSQL2
SELECT Tree.NodeName, Packages.Package, 
       Search_Terms.Terms
FROM "Hierarchy.db" Tree
      RIGHT OUTER JOIN "Packages.db" Packages ON 
     (Packages.NodeID = Tree.NodeID)
      FULL OUTER JOIN "Maintainers.db" Maintainers ON 
     (Maintainers.NodeID = Packages.NodeID)
      INNER JOIN "Search Terms.db" Search_Terms ON 
     (Search_Terms.NodeID <> Tree.NodeID)

-- dtOracle sqBDELocal
SELECT Tree.NodeName, Packages."Package", 
       Search_Terms.Terms
FROM "Hierarchy.db" Tree
      RIGHT OUTER JOIN "Packages.db" Packages ON 
     (Packages.NodeID = Tree.NodeID)
      FULL OUTER JOIN "Maintainers.db" Maintainers ON 
     (Maintainers.NodeID = Packages.NodeID)
      INNER JOIN "Search Terms.db" Search_Terms ON 
     (Search_Terms.NodeID <> Tree.NodeID)

-- dtOracle sqSQL1
SELECT Tree.NodeName, Packages."Package", 
       Search_Terms.Terms
FROM "Hierarchy.db" Tree, "Packages.db" Packages
     , "Maintainers.db" Maintainers
     , "Search Terms.db" Search_Terms
WHERE (Packages.NodeID = Tree.NodeID (+)) AND 
      (Maintainers.NodeID = Packages.NodeID) AND 
      (Search_Terms.NodeID <> Tree.NodeID)

-- dtOracle sqSQL2
SELECT Tree.NodeName, Packages."Package", 
       Search_Terms.Terms
FROM "Hierarchy.db" Tree
      RIGHT OUTER JOIN "Packages.db" Packages ON 
     (Packages.NodeID = Tree.NodeID)
      FULL OUTER JOIN "Maintainers.db" Maintainers ON 
     (Maintainers.NodeID = Packages.NodeID)
      INNER JOIN "Search Terms.db" Search_Terms ON 
     (Search_Terms.NodeID <> Tree.NodeID)

-- dtParadox sqBDELocal
SELECT Tree.NodeName, Packages.Package, 
       Search_Terms.Terms
FROM "Hierarchy.db" Tree
      RIGHT OUTER JOIN "Packages.db" Packages ON 
     (Packages.NodeID = Tree.NodeID)
      FULL OUTER JOIN "Maintainers.db" Maintainers ON 
     (Maintainers.NodeID = Packages.NodeID)
      INNER JOIN "Search Terms.db" Search_Terms ON 
     (Search_Terms.NodeID <> Tree.NodeID)

-- dtParadox sqSQL1
SELECT Tree.NodeName, Packages.Package, 
       Search_Terms.Terms
FROM "Hierarchy.db" Tree
      RIGHT OUTER JOIN "Packages.db" Packages ON 
     (Packages.NodeID = Tree.NodeID)
      FULL OUTER JOIN "Maintainers.db" Maintainers ON 
     (Maintainers.NodeID = Packages.NodeID)
      INNER JOIN "Search Terms.db" Search_Terms ON 
     (Search_Terms.NodeID <> Tree.NodeID)

-- dtParadox sqSQL2
SELECT Tree.NodeName, Packages.Package, 
       Search_Terms.Terms
FROM "Hierarchy.db" Tree
      RIGHT OUTER JOIN "Packages.db" Packages ON 
     (Packages.NodeID = Tree.NodeID)
      FULL OUTER JOIN "Maintainers.db" Maintainers ON 
     (Maintainers.NodeID = Packages.NodeID)
      INNER JOIN "Search Terms.db" Search_Terms ON 
     (Search_Terms.NodeID <> Tree.NodeID)

-- dtDBISAM sqBDELocal
SELECT Tree.NodeName, Packages.Package, 
       Search_Terms.Terms
FROM "Hierarchy.db" Tree
      RIGHT OUTER JOIN "Packages.db" Packages ON 
     (Packages.NodeID = Tree.NodeID)
      FULL OUTER JOIN "Maintainers.db" Maintainers ON 
     (Maintainers.NodeID = Packages.NodeID)
      INNER JOIN "Search Terms.db" Search_Terms ON 
     (Search_Terms.NodeID <> Tree.NodeID)

-- dtDBISAM sqSQL1
SELECT Tree.NodeName, Packages.Package, 
       Search_Terms.Terms
FROM "Hierarchy.db" Tree
      RIGHT OUTER JOIN "Packages.db" Packages ON 
     (Packages.NodeID = Tree.NodeID)
      FULL OUTER JOIN "Maintainers.db" Maintainers ON 
     (Maintainers.NodeID = Packages.NodeID)
      INNER JOIN "Search Terms.db" Search_Terms ON 
     (Search_Terms.NodeID <> Tree.NodeID)

-- dtDBISAM sqSQL2
SELECT Tree.NodeName, Packages.Package, 
       Search_Terms.Terms
FROM "Hierarchy.db" Tree
      RIGHT OUTER JOIN "Packages.db" Packages ON 
     (Packages.NodeID = Tree.NodeID)
      FULL OUTER JOIN "Maintainers.db" Maintainers ON 
     (Maintainers.NodeID = Packages.NodeID)
      INNER JOIN "Search Terms.db" Search_Terms ON 
     (Search_Terms.NodeID <> Tree.NodeID)

-- dtOther sqBDELocal
SELECT Tree.NodeName, Packages.Package, 
       Search_Terms.Terms
FROM "Hierarchy.db" Tree
      RIGHT OUTER JOIN "Packages.db" Packages ON 
     (Packages.NodeID = Tree.NodeID)
      FULL OUTER JOIN "Maintainers.db" Maintainers ON 
     (Maintainers.NodeID = Packages.NodeID)
      INNER JOIN "Search Terms.db" Search_Terms ON 
     (Search_Terms.NodeID <> Tree.NodeID)

-- dtOther sqSQL1
SELECT Tree.NodeName, Packages.Package, 
       Search_Terms.Terms
FROM "Hierarchy.db" Tree
      RIGHT OUTER JOIN "Packages.db" Packages ON 
     (Packages.NodeID = Tree.NodeID)
      FULL OUTER JOIN "Maintainers.db" Maintainers ON 
     (Maintainers.NodeID = Packages.NodeID)
      INNER JOIN "Search Terms.db" Search_Terms ON 
     (Search_Terms.NodeID <> Tree.NodeID)

-- dtOther sqSQL2
SELECT Tree.NodeName, Packages.Package, 
       Search_Terms.Terms
FROM "Hierarchy.db" Tree
      RIGHT OUTER JOIN "Packages.db" Packages ON 
     (Packages.NodeID = Tree.NodeID)
      FULL OUTER JOIN "Maintainers.db" Maintainers ON 
     (Maintainers.NodeID = Packages.NodeID)
      INNER JOIN "Search Terms.db" Search_Terms ON 
     (Search_Terms.NodeID <> Tree.NodeID)

