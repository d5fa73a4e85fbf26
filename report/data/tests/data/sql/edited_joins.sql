-- sqBDELocal
SELECT Packages.Package, Maintainers.Name, 
       Hierarchy.NodeName
FROM "Packages.db" Packages
      INNER JOIN "Maintainers.db" Maintainers ON 
     (Maintainers.NodeID = Packages.NodeID)
      LEFT OUTER JOIN "Hierarchy.db" Hierarchy ON 
     (Hierarchy.NodeID = Maintainers.NodeID)
      AND (Hierarchy.NodeName >= Maintainers.Name)
WHERE ( Packages.Priority = "O'Brien" )
ORDER BY Packages.Package

-- sqSQL2
SELECT Packages.Package, Maintainers.Name, 
       Hierarchy.NodeName
FROM "Packages.db" Packages
      INNER JOIN "Maintainers.db" Maintainers ON 
     (Maintainers.NodeID = Packages.NodeID)
      LEFT OUTER JOIN "Hierarchy.db" Hierarchy ON 
     (Hierarchy.NodeID = Maintainers.NodeID)
      AND (Hierarchy.NodeName >= Maintainers.Name)
WHERE ( Packages.Priority = 'O''Brien' )
ORDER BY Packages.Package

